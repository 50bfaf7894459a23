#pragma once

#include <span>
#include <string>
#include <string_view>

#include "SimOptions.h"

namespace sim {

// What the ecu-sim command line asks for.
struct EcuSimConfig {
    SimOptions options;
    bool once = false;
    bool trace = false;
    bool help = false;
    std::string reportPath;
};

// Parses the arguments after the program name. On false, `error` says what is wrong.
bool ParseEcuSimArguments(std::span<const std::string_view> args, EcuSimConfig& config, std::string& error);

std::string EcuSimUsage();

}  // namespace sim
