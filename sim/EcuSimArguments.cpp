#include "EcuSimArguments.h"

#include <charconv>

namespace sim {

namespace {

bool ParseUnsigned(std::string_view text, uint64_t max, uint64_t& out) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size() && out <= max;
}

bool IsDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

bool ParseEcuSimArguments(std::span<const std::string_view> args, EcuSimConfig& config, std::string& error) {
    config = EcuSimConfig{};
    config.options.paceLine = false;
    SimOptions& o = config.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view name = args[i];
        const auto fail = [&](const std::string& why) {
            error = std::string(name) + ": " + why;
            return false;
        };
        if (name == "--help") config.help = true;
        else if (name == "--pace") o.paceLine = true;
        else if (name == "--once") config.once = true;
        else if (name == "--trace") config.trace = true;
        else {
            if (i + 1 >= args.size()) return fail("needs a value");
            const std::string_view value = args[++i];
            uint64_t n = 0;
            const auto number = [&](uint64_t max) { return ParseUnsigned(value, max, n); };
            const auto text = [&](std::string& field, std::size_t length) {
                if (value.size() != length) return false;
                field = std::string(value);
                return true;
            };
            if (name == "--model-code") {
                if (!number(255)) return fail("0..255");
                o.identity.modelCode = static_cast<uint8_t>(n);
            } else if (name == "--variant") {
                if (!number(255)) return fail("0..255");
                o.identity.variant = static_cast<uint8_t>(n);
            } else if (name == "--date") {
                if (!text(o.identity.date, 11)) return fail("11 characters, e.g. \"Sep 29 2011\"");
            } else if (name == "--time") {
                if (!text(o.identity.time, 8)) return fail("8 characters, e.g. 14:02:37");
            } else if (name == "--version") {
                if (!text(o.identity.version, 4)) return fail("4 characters, e.g. 477E");
            } else if (name == "--key-variant") {
                if (!number(2) || n < 1) return fail("1 or 2");
                o.keyVariant = static_cast<int>(n);
            } else if (name == "--erase-ms") {
                if (!number(600'000)) return fail("0..600000");
                o.eraseMs = static_cast<uint32_t>(n);
            } else if (name == "--boot-ms") {
                if (!number(600'000)) return fail("0..600000");
                o.bootMs = static_cast<uint32_t>(n);
            } else if (name == "--response-ms") {
                if (!number(60'000)) return fail("0..60000");
                o.responseMs = static_cast<uint32_t>(n);
            } else if (name == "--switch-ms") {
                if (!number(400)) return fail("0..400: the adapter switches within 400 ms");
                o.switchMs = static_cast<uint32_t>(n);
            } else if (name == "--flash-size") {
                if (!number(0x1000000) || n <= 0x20000) return fail("above 0x20000, at most 0x1000000");
                o.flashSize = static_cast<uint32_t>(n);
            } else if (name == "--adapter-version") {
                if (value.size() != 3 || !IsDigits(value)) return fail("three digits");
                o.adapterVersion = std::string(value);
            } else if (name == "--seed") {
                if (!number(UINT64_MAX)) return fail("a number");
                o.seed = n;
            } else if (name == "--fault") {
                FaultRule rule;
                if (!ParseFaultRule(value, rule, error)) return false;
                o.faults.push_back(std::move(rule));
            } else if (name == "--report") {
                config.reportPath = std::string(value);
            } else {
                return fail("unknown option (see --help)");
            }
        }
    }
    return true;
}

std::string EcuSimUsage() {
    return std::string(
               "Usage: ecu-sim [OPTION]...\n"
               "Serves a simulated interface adapter with an ECU behind it on a pseudo-terminal.\n"
               "Prints the terminal's path on the first line, then serves until killed.\n"
               "\n"
               "Start identity (the older firmware's info block):\n"
               "  --model-code N       model code (default 0)\n"
               "  --variant N          variant (default 0)\n"
               "  --date TEXT          build date, 11 characters (default \"Mar 14 2010\")\n"
               "  --time TEXT          build time, 8 characters (default 09:30:00)\n"
               "  --version TEXT       software version, 4 characters (default 304E)\n"
               "ECU and adapter:\n"
               "  --key-variant 1|2    the level-5 key variant the ECU accepts (default 1)\n"
               "  --erase-ms N         time to erase one flash area (default 1500)\n"
               "  --boot-ms N          silence after a reset (default 1500)\n"
               "  --response-ms N      from a request's end to its answer (default 10)\n"
               "  --switch-ms N        from 02 94 96 to 38400 baud, at most 400 (default 100)\n"
               "  --flash-size N       end of the upper area (default 0x40000 for model codes 0\n"
               "                       and 1, else 0x60000)\n"
               "  --adapter-version D  three digits of the adapter's version answer (default 123)\n"
               "  --pace               bytes leave at the line's speed, 10 bits each\n"
               "  --seed N             seeds records, security seeds and random faults (default 1)\n"
               "  --fault RULE         inject a fault; repeatable (grammar below)\n"
               "Run:\n"
               "  --once               exit after one whole update, or when the program closes the line\n"
               "  --report FILE        write a JSON summary at exit\n"
               "  --trace              one line per event on standard error\n"
               "  --help               this text\n"
               "Signals: SIGUSR1 switches the ECU off and on (a manual reset); SIGINT, SIGTERM end.\n"
               "\n"
               "Fault RULE:\n") +
           FaultGrammar();
}

} // namespace sim
