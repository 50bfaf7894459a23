#include "FaultRule.h"

#include <charconv>

namespace sim {

namespace {

bool ParseNumber(std::string_view text, uint32_t& out, int base = 10) {
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& out) {
    if (text.empty() || text.size() % 2 != 0) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        uint32_t b = 0;
        if (!ParseNumber(text.substr(i, 2), b, 16)) return false;
        out.push_back(static_cast<uint8_t>(b));
    }
    return true;
}

// "name=value" into name and value; value empty when there is no '='.
void SplitAssignment(std::string_view text, std::string_view& name, std::string_view& value) {
    const auto eq = text.find('=');
    name = text.substr(0, eq);
    value = eq == std::string_view::npos ? std::string_view{} : text.substr(eq + 1);
}

bool ParseCode(std::string_view value, uint8_t& code) {
    uint32_t c = 0;
    if (value.size() != 2 || !ParseNumber(value, c, 16)) return false;
    code = static_cast<uint8_t>(c);
    return true;
}

constexpr uint32_t kDefaultPendingMs = 1000;

bool ParseAction(std::string_view text, FaultRule& out) {
    std::string_view name, value;
    SplitAssignment(text, name, value);
    const bool bare = value.empty() && text.find('=') == std::string_view::npos;
    if (name == "drop" && bare) out.action = FaultAction::Drop;
    else if (name == "corrupt" && bare) out.action = FaultAction::Corrupt;
    else if (name == "wrong-echo" && bare) out.action = FaultAction::WrongEcho;
    else if (name == "wrong-crc" && bare) out.action = FaultAction::WrongChecksum;
    else if (name == "cut" && bare) out.action = FaultAction::Cut;
    else if (name == "unplug" && bare) out.action = FaultAction::Unplug;
    else if (name == "silent-adapter" && bare) out.action = FaultAction::SilentAdapter;
    else if (name == "delay") {
        out.action = FaultAction::Delay;
        return ParseNumber(value, out.ms);
    } else if (name == "nrc") {
        out.action = FaultAction::Negative;
        out.ms = kDefaultPendingMs;
        return ParseCode(value, out.code);
    } else if (name == "pending") {
        out.action = FaultAction::Negative;
        out.code = 0x78;
        return ParseNumber(value, out.ms);
    } else if (name == "unsupported") {
        out.action = FaultAction::Negative;
        out.always = true;
        out.code = 0x12;
        return bare || (ParseCode(value, out.code) && (out.code == 0x11 || out.code == 0x12));
    } else if (name == "no-routine-09" && bare) {
        out.action = FaultAction::Negative;
        out.code = 0x12;
        out.always = true;
        out.match = {0x31, 0x09};
    } else
        return false;
    return true;
}

bool ParseOption(std::string_view text, FaultRule& out) {
    std::string_view name, value;
    SplitAssignment(text, name, value);
    if (name == "always" && value.empty()) return out.always = true;
    if (name == "nth") return ParseNumber(value, out.nth) && out.nth > 0;
    if (name == "count") return ParseNumber(value, out.count) && out.count > 0;
    if (name == "random") return ParseNumber(value, out.randomPercent) && out.randomPercent <= 100;
    return false;
}

bool IsAdapterCommand(const std::vector<uint8_t>& match) {
    return !match.empty() && (match[0] == 0x90 || match[0] == 0x94);
}

} // namespace

bool ParseFaultRule(std::string_view text, FaultRule& out, std::string& error) {
    out = FaultRule{};
    out.text = std::string(text);
    const auto fail = [&](std::string_view why) {
        error = "bad --fault '" + std::string(text) + "': " + std::string(why);
        return false;
    };
    std::string_view head = text.substr(0, text.find(','));
    std::string_view options = head.size() < text.size() ? text.substr(head.size() + 1) : std::string_view{};
    const auto at = head.find('@');
    if (!ParseAction(head.substr(0, at), out)) return fail("unknown action or bad value");
    if (at != std::string_view::npos) {
        if (out.action == FaultAction::SilentAdapter || !out.match.empty()) return fail("this action takes no @");
        if (!ParseHexBytes(head.substr(at + 1), out.match)) return fail("@ wants hex bytes, e.g. @2183");
    }
    while (!options.empty()) {
        const std::string_view option = options.substr(0, options.find(','));
        if (!ParseOption(option, out)) return fail("unknown option '" + std::string(option) + "'");
        options = option.size() < options.size() ? options.substr(option.size() + 1) : std::string_view{};
    }
    if (IsAdapterCommand(out.match) &&
        (out.action == FaultAction::Negative || out.action == FaultAction::WrongEcho ||
         out.action == FaultAction::WrongChecksum))
        return fail("the adapter's own commands get no negative, echo or checksum faults");
    return true;
}

const char* FaultGrammar() {
    return "RULE   = ACTION [@MATCH] {,OPTION}\n"
           "ACTION = drop              the answer is lost (the request is handled)\n"
           "       | delay=MS          the answer leaves MS ms late\n"
           "       | corrupt           the answer leaves with a wrong frame checksum\n"
           "       | nrc=HH            7F <service> HH instead of handling the request\n"
           "                           (21, 23, 37: busy/not complete/wait; 78: handled 1000 ms later)\n"
           "       | pending=MS        7F <service> 78, the real answer MS ms later\n"
           "       | unsupported[=HH]  nrc 12 (or 11) for every matching request\n"
           "       | wrong-echo        a 3D answer echoes another address\n"
           "       | wrong-crc         a 21 83 answer carries a wrong CRC\n"
           "       | no-routine-09     31 09 is not supported (resets are the operator's)\n"
           "       | silent-adapter    the adapter never answers\n"
           "       | cut               the line goes dead at the matching request\n"
           "       | unplug            as cut, and the pseudo-terminal is closed\n"
           "MATCH  = hex bytes the request's payload starts with: 3D, 2183, 218301, 21AC, 20, 90\n"
           "         (no spaces; without @ every request matches)\n"
           "OPTION = nth=N             start at the N-th matching request (default 1)\n"
           "       | count=N           hit N requests (default 1)\n"
           "       | always            hit every matching request from the nth on\n"
           "       | random=P          hit each candidate with P percent chance (uses --seed)\n"
           "Examples: drop@3D,nth=5  nrc=80@20  nrc=31@21B810,always  wrong-crc@218300,count=2\n"
           "          unsupported=11@21AC  delay=2000@2183  cut@3D,nth=40  corrupt,random=5,always\n";
}

} // namespace sim
