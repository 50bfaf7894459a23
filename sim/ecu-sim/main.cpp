// ecu-sim: the simulated interface adapter and ECU on a pseudo-terminal.
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

#include "PtyServer.h"
#include "sim/EcuSimArguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    sim::EcuSimConfig config;
    std::string error;
    if (!sim::ParseEcuSimArguments(args, config, error)) {
        std::fprintf(stderr, "ecu-sim: %s\n", error.c_str());
        return 2;
    }
    if (config.help) {
        std::fputs(sim::EcuSimUsage().c_str(), stdout);
        return 0;
    }

    sim::Simulator simulator(config.options);
    if (config.trace)
        simulator.SetTrace([](uint64_t atUs, const std::string& line) {
            std::fprintf(stderr, "%10.3f %s\n", double(atUs) / 1e6, line.c_str());
        });
    sim::PtyServer server(simulator, {config.once, config.trace});
    if (!server.Open(error)) {
        std::fprintf(stderr, "ecu-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.SlavePath().c_str());
    std::fflush(stdout);
    server.Run();

    if (!config.reportPath.empty()) {
        std::ofstream report(config.reportPath, std::ios::trunc);
        report << sim::ReportJson(simulator.Report());
        if (!report) {
            std::fprintf(stderr, "ecu-sim: cannot write %s\n", config.reportPath.c_str());
            return 1;
        }
    }
    return 0;
}
