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
void SplitAssignment(std::string_view text, std::string_view& name, std::string_view& value, bool& bare) {
    const auto eq = text.find('=');
    name = text.substr(0, eq);
    value = eq == std::string_view::npos ? std::string_view{} : text.substr(eq + 1);
    bare = eq == std::string_view::npos;
}

bool ParseCode(std::string_view value, uint8_t& code) {
    uint32_t c = 0;
    if (value.size() != 2 || !ParseNumber(value, c, 16)) return false;
    code = static_cast<uint8_t>(c);
    return true;
}

constexpr uint32_t kDefaultPendingMs = 1000;
constexpr uint8_t kResponsePending = 0x78;

// The options each action honours; any other is refused rather than silently ignored.
constexpr unsigned kNth = 1u << 0;
constexpr unsigned kCount = 1u << 1;
constexpr unsigned kAlways = 1u << 2;
constexpr unsigned kRandom = 1u << 3;
constexpr unsigned kRepeat = 1u << 4;
constexpr unsigned kService = 1u << 5;
constexpr unsigned kOn = 1u << 6;
constexpr unsigned kSelect = kNth | kCount | kAlways | kRandom;
constexpr unsigned kLineShape = kSelect | kOn;  // faults of the answer's bytes, any answer
constexpr unsigned kBad = 0;                    // an unknown option, or a bad value

struct ParsedAction {
    bool ok = false;
    unsigned options = kSelect;
};

ParsedAction ParseAction(std::string_view text, FaultRule& out) {
    std::string_view name, value;
    bool bare = false;
    SplitAssignment(text, name, value, bare);
    const auto shape = [&](FaultAction action) {
        out.action = action;
        return ParsedAction{bare, kLineShape};
    };
    if (name == "drop") return shape(FaultAction::Drop);
    if (name == "corrupt") return shape(FaultAction::Corrupt);
    if (name == "duplicate") return shape(FaultAction::Duplicate);
    if (name == "glue") return shape(FaultAction::Glue);
    if (name == "bad-copy") return shape(FaultAction::BadCopy);
    if (name == "wrong-echo" || name == "wrong-crc") {
        out.action = name == "wrong-echo" ? FaultAction::WrongEcho : FaultAction::WrongChecksum;
        return {bare, kSelect};
    }
    if (name == "cut" || name == "unplug") {
        out.action = name == "cut" ? FaultAction::Cut : FaultAction::Unplug;
        return {bare, kNth | kRandom};  // the line dies once
    }
    if (name == "silent-adapter") {
        out.action = FaultAction::SilentAdapter;
        out.always = true;  // unless count says otherwise
        return {bare, kSelect};
    }
    if (name == "no-routine-09") {
        out.action = FaultAction::Negative;
        out.code = 0x12;
        out.always = true;
        out.match = {0x31, 0x09};
        return {bare, kNth | kAlways | kRandom};
    }
    if (name == "delay") {
        out.action = FaultAction::Delay;
        return {ParseNumber(value, out.ms), kLineShape};
    }
    if (name == "junk-before" || name == "junk-after") {
        out.action = name == "junk-before" ? FaultAction::JunkBefore : FaultAction::JunkAfter;
        if (bare) out.bytes = {0x00};
        return {bare || ParseHexBytes(value, out.bytes), kLineShape};
    }
    if (name == "stray") {
        out.action = FaultAction::Stray;
        out.onPending = true;  // it comes while the ECU is busy: after the pending answer
        if (bare) out.bytes = {0x52, 0x00};
        return {(bare || ParseHexBytes(value, out.bytes)) && out.bytes.size() < 250, kSelect | kOn};
    }
    if (name == "truncate") {
        out.action = FaultAction::Truncate;
        return {bare || (ParseNumber(value, out.length) && out.length > 0), kLineShape};
    }
    if (name == "unknown-sid") {
        out.action = FaultAction::UnknownService;
        out.code = 0x52;
        return {bare || ParseCode(value, out.code), kLineShape};
    }
    if (name == "status") {
        out.action = FaultAction::Status;
        return {ParseCode(value, out.code) && out.code != 0, kSelect};
    }
    if (name == "nrc") {
        out.action = FaultAction::Negative;
        out.ms = kDefaultPendingMs;
        const bool ok = ParseCode(value, out.code);
        return {ok, out.code == kResponsePending ? kSelect | kRepeat : kSelect | kService};
    }
    if (name == "pending") {
        out.action = FaultAction::Negative;
        out.code = kResponsePending;
        out.ms = kDefaultPendingMs;
        return {bare || ParseNumber(value, out.ms), kSelect | kRepeat};
    }
    if (name == "unsupported") {
        out.action = FaultAction::Negative;
        out.always = true;
        out.code = 0x12;
        return {bare || (ParseCode(value, out.code) && (out.code == 0x11 || out.code == 0x12)),
                kNth | kAlways | kRandom};
    }
    return {};
}

// The option's flag, or kBad.
unsigned ParseOption(std::string_view text, FaultRule& out) {
    std::string_view name, value;
    bool bare = false;
    SplitAssignment(text, name, value, bare);
    if (name == "always" && bare) {
        out.always = true;
        return kAlways;
    }
    if (name == "nth") return ParseNumber(value, out.nth) && out.nth > 0 ? kNth : kBad;
    if (name == "count") return ParseNumber(value, out.count) && out.count > 0 ? kCount : kBad;
    if (name == "random") return ParseNumber(value, out.randomPercent) && out.randomPercent <= 100 ? kRandom : kBad;
    if (name == "repeat") return ParseNumber(value, out.repeat) && out.repeat > 0 ? kRepeat : kBad;
    if (name == "service") {
        uint8_t service = 0;
        if (!ParseCode(value, service)) return kBad;
        out.service = service;
        return kService;
    }
    if (name == "on" && (value == "pending" || value == "final")) {
        out.onPending = value == "pending";
        return kOn;
    }
    return kBad;
}

bool IsAdapterCommand(const std::vector<uint8_t>& match) {
    return !match.empty() && (match[0] == 0x90 || match[0] == 0x94);
}

}  // namespace

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
    const std::string_view actionText = head.substr(0, at);
    const ParsedAction action = ParseAction(actionText, out);
    if (!action.ok) return fail("unknown action or bad value");
    if (at != std::string_view::npos) {
        if (!out.match.empty()) return fail("this action takes no @");
        if (!ParseHexBytes(head.substr(at + 1), out.match)) return fail("@ wants hex bytes, e.g. @2183");
    }
    unsigned given = 0;
    while (!options.empty()) {
        const std::string_view option = options.substr(0, options.find(','));
        const unsigned flag = ParseOption(option, out);
        if (flag == kBad) return fail("unknown option or bad value '" + std::string(option) + "'");
        if ((action.options & flag) == 0)
            return fail("'" + std::string(option) + "' means nothing to " +
                        std::string(actionText.substr(0, actionText.find('='))));
        given |= flag;
        options = option.size() < options.size() ? options.substr(option.size() + 1) : std::string_view{};
    }
    if (given & kCount) {
        if (given & kAlways) return fail("count and always contradict each other");
        out.always = false;
    }
    if (IsAdapterCommand(out.match) && (out.action == FaultAction::Negative || out.action == FaultAction::WrongEcho ||
                                        out.action == FaultAction::WrongChecksum || out.action == FaultAction::Status))
        return fail("the adapter's own commands get no negative, echo, checksum or status faults");
    return true;
}

const char* FaultGrammar() {
    return "RULE   = ACTION [@MATCH] {,OPTION}\n"
           "ACTION = drop              the answer is lost (the request is handled)\n"
           "       | delay=MS          the answer leaves MS ms late\n"
           "       | corrupt           the answer leaves with a wrong frame checksum\n"
           "       | junk-before[=HEX] these bytes right before the answer (default 00)\n"
           "       | junk-after[=HEX]  these bytes right after the answer (default 00)\n"
           "       | duplicate         the answer twice, back to back in one chunk\n"
           "       | glue              the answer waits and leaves glued to the front of the\n"
           "                           next answer: two replies in one chunk\n"
           "       | truncate[=N]      only the first N bytes of the answer's frame (default: all\n"
           "                           but its checksum)\n"
           "       | bad-copy          a copy with a wrong checksum right before the answer\n"
           "       | unknown-sid[=HH]  the answer leaves with service identifier HH (default 52)\n"
           "       | nrc=HH            7F <service> HH instead of handling the request\n"
           "                           (21, 23, 37: busy/not complete/wait; 78: as pending)\n"
           "       | pending[=MS]      7F <service> 78, the real answer MS ms later (default\n"
           "                           1000); the ECU is busy meanwhile: requests get 7F xx 21\n"
           "       | unsupported[=HH]  nrc 12 (or 11) for every matching request\n"
           "       | wrong-echo        a 3D answer echoes another address\n"
           "       | wrong-crc         a 21 83 answer carries a wrong CRC\n"
           "       | status=HH         the 21 BD answer's status byte is HH (not 00)\n"
           "       | no-routine-09     31 09 is not supported (resets are the operator's)\n"
           "       | stray[=HEX]       while the ECU erases for the request, one whole frame of\n"
           "                           payload HEX (default 5200: a service of no answer) midway\n"
           "                           between its 7F xx 78 and its final answer\n"
           "       | silent-adapter    the adapter swallows the request: no answer (every\n"
           "                           request from the nth on, unless count is given)\n"
           "       | cut               the line goes dead at the matching request\n"
           "       | unplug            as cut, and the pseudo-terminal is closed\n"
           "MATCH  = hex bytes the request's payload starts with: 3D, 2183, 218301, 21AC, 20, 90\n"
           "         (no spaces; without @ every request matches)\n"
           "OPTION = nth=N             start at the N-th matching request (default 1)\n"
           "       | count=N           hit N requests (default 1)\n"
           "       | always            hit every matching request from the nth on\n"
           "       | random=P          hit each candidate with P percent chance (uses --seed)\n"
           "       | repeat=N          pending, nrc=78: N pending answers, MS apart, before the\n"
           "                           real one (default 1)\n"
           "       | service=HH        nrc: the negative answer names service HH, not the request's\n"
           "       | on=pending        drop, delay, corrupt, junk-*, duplicate, glue, truncate, bad-copy,\n"
           "                           unknown-sid: act on the request's 7F xx 78 (an erase's or\n"
           "                           a pending fault's) instead of its final answer\n"
           "An option that an action does not honour is refused (e.g. count with cut).\n"
           "Examples: drop@3D,nth=5  nrc=80@20  nrc=31@21B810,always  wrong-crc@218300,count=2\n"
           "          unsupported=11@21AC  delay=2000@2183  cut@3D,nth=40  corrupt,random=5,always\n"
           "          pending@31,repeat=3  drop@3D,on=pending  silent-adapter@90,nth=2\n"
           "          nrc=35@2706,count=2  status=01@21BD  nrc=12@21,service=31\n"
           "          stray=7F3112@3D,always\n";
}

}  // namespace sim
