#include "EcuSimArguments.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <memory>

namespace sim {

namespace {

// Decimal, or hex with 0x: CLI11's own conversion would take a leading 0 for octal.
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
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A validator from a test of the value: its error text, empty when the value is good.
CLI::Validator Check(std::function<std::string(const std::string&)> test, std::string description) {
    return CLI::Validator([test = std::move(test)](std::string& value) { return test(value); }, std::move(description));
}

void AddNumber(CLI::App& app, const char* name, const char* help, uint64_t min, uint64_t max, std::string wanted,
               std::function<void(uint64_t)> store) {
    app.add_option_function<std::string>(
           name,
           [store = std::move(store), max](const std::string& value) {
               uint64_t n = 0;
               ParseUnsigned(value, max, n);
               store(n);
           },
           help)
        ->type_name("N")
        ->check(Check(
            [min, max, wanted](const std::string& value) {
                uint64_t n = 0;
                return ParseUnsigned(value, max, n) && n >= min ? std::string() : wanted;
            },
            ""));
}

void AddText(CLI::App& app, const char* name, const char* help, std::size_t length, std::string wanted,
             std::string& field) {
    app.add_option(name, field, help)
        ->check(Check(
            [length, wanted](const std::string& value) { return value.size() == length ? std::string() : wanted; },
            ""));
}

// The command line, bound to `config`. `faults` receives the --fault texts, checked already.
std::unique_ptr<CLI::App> MakeApp(EcuSimConfig& config, std::vector<std::string>& faults) {
    auto app = std::make_unique<CLI::App>(
        "Serves a simulated interface adapter with an ECU behind it on a pseudo-terminal.\n"
        "Prints the terminal's path on the first line, then serves until killed.",
        "ecu-sim");
    app->footer(std::string("Signals: SIGUSR1 switches the ECU off and on (a manual reset); SIGINT, SIGTERM end.\n\n"
                            "Fault RULE:\n") +
                FaultGrammar());
    app->get_formatter()->column_width(28);
    SimOptions& o = config.options;
    CLI::App& a = *app;

    AddNumber(a, "--model-code", "model code of the start identity (default 0)", 0, 255, "0..255",
              [&o](uint64_t n) { o.identity.modelCode = static_cast<uint8_t>(n); });
    AddNumber(a, "--variant", "variant of the start identity (default 0)", 0, 255, "0..255",
              [&o](uint64_t n) { o.identity.variant = static_cast<uint8_t>(n); });
    AddText(a, "--date", "build date, 11 characters (default \"Mar 14 2010\")", 11,
            "11 characters, e.g. \"Sep 29 2011\"", o.identity.date);
    AddText(a, "--time", "build time, 8 characters (default 09:30:00)", 8, "8 characters, e.g. 14:02:37",
            o.identity.time);
    AddText(a, "--version", "software version, 4 characters (default 304E)", 4, "4 characters, e.g. 477E",
            o.identity.version);
    a.add_option_function<std::string>(
         "--key-variant", [&o](const std::string& v) { o.keyVariant = v == "none" ? 0 : v[0] - '0'; },
         "the level-5 key variant the ECU accepts; none: it refuses both (default 1)")
        ->type_name("1|2|none")
        ->check(
            Check([](const std::string& v) { return v == "1" || v == "2" || v == "none" ? "" : "1, 2 or none"; }, ""));
    AddNumber(a, "--erase-ms", "time to erase one flash area (default 1500)", 0, 600'000, "0..600000",
              [&o](uint64_t n) { o.eraseMs = static_cast<uint32_t>(n); });
    AddNumber(a, "--boot-ms", "silence after a reset (default 1500)", 0, 600'000, "0..600000",
              [&o](uint64_t n) { o.bootMs = static_cast<uint32_t>(n); });
    AddNumber(a, "--response-ms", "from a request's end to its answer (default 10)", 0, 60'000, "0..60000",
              [&o](uint64_t n) { o.responseMs = static_cast<uint32_t>(n); });
    AddNumber(a, "--switch-ms", "from 02 94 96 to 38400 baud, at most 400 (default 400)", 0, 400,
              "0..400: the adapter switches within 400 ms",
              [&o](uint64_t n) { o.switchMs = static_cast<uint32_t>(n); });
    AddNumber(a, "--session-timeout-ms",
              "the ECU leaves its session when no request comes for this long after its last answer, "
              "as a real ECU does (P3max, 5000 on most); 0: never (default 0)",
              0, 600'000, "0..600000", [&o](uint64_t n) { o.sessionTimeoutMs = static_cast<uint32_t>(n); });
    AddNumber(a, "--flash-size", "end of the upper area (default 0x40000 for model codes 0 and 1, else 0x60000)",
              0x20001, 0x1000000, "above 0x20000, at most 0x1000000",
              [&o](uint64_t n) { o.flashSize = static_cast<uint32_t>(n); });
    a.add_option("--adapter-version", o.adapterVersion, "three digits of the adapter's version answer (default 123)")
        ->type_name("DDD")
        ->check(Check([](const std::string& v) { return v.size() == 3 && IsDigits(v) ? "" : "three digits"; }, ""));
    a.add_flag("--pace", o.paceLine, "bytes leave at the line's speed, 10 bits each");
    a.add_option_function<std::string>(
         "--vin", [&o](const std::string& v) { o.vin = v; },
         "the VIN before any update, 17 characters; \"\" for an ECU never given one (17 bytes 0xFF) "
         "(default: a valid VIN made from --seed)")
        ->type_name("TEXT")
        ->check(Check(
            [](const std::string& v) { return v.empty() || v.size() == 17 ? std::string() : "17 characters or \"\""; },
            ""));
    a.add_flag("--keep-identity", o.keepIdentity,
               "a base erase leaves the VIN and hardware serial as they were (default: it wipes them)");
    a.add_flag("--no-history", o.noHistory, "the ECU has no local identifier 0x69 (programming history)");
    AddNumber(a, "--seed", "seeds records, security seeds and random faults (default 1)", 0, UINT64_MAX, "a number",
              [&o](uint64_t n) { o.seed = n; });
    a.add_option("--fault", faults, "inject a fault; repeatable (RULE below)")
        ->type_name("RULE")
        ->take_all()
        ->check(Check(
            [](const std::string& v) {
                FaultRule rule;
                std::string error;
                return ParseFaultRule(v, rule, error) ? std::string() : error;
            },
            ""));
    a.add_flag("--once", config.once, "exit after one whole update, or when the program closes the line");
    a.add_option("--report", config.reportPath, "write a JSON summary at exit")->type_name("FILE");
    a.add_flag("--trace", config.trace, "one line per event on standard error");
    return app;
}

}  // namespace

bool ParseEcuSimArguments(std::span<const std::string_view> args, EcuSimConfig& config, std::string& error) {
    config = EcuSimConfig{};
    config.options.paceLine = false;
    std::vector<std::string> faults;
    const auto app = MakeApp(config, faults);
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        config.help = true;
        return true;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return false;
    }
    for (const std::string& text : faults) {
        FaultRule rule;
        if (!ParseFaultRule(text, rule, error)) return false;
        config.options.faults.push_back(std::move(rule));
    }
    return true;
}

std::string EcuSimUsage() {
    EcuSimConfig config;
    std::vector<std::string> faults;
    return MakeApp(config, faults)->help();
}

}  // namespace sim
