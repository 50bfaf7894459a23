#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The ports a run tries, as the operator named them.
struct PortChoice {
    std::vector<std::string> names;  // in the order they are tried; empty: every port the system lists
    std::string error;               // set: a usage error, nothing is to be tried
};

// The ports named on the command line when there are any, else those of FLASH_UPDATER_PORTS
// (`variable`; null when it is not set), else none. A variable that is set but names no port is
// an error: an empty list must never quietly turn into a hunt on every port.
PortChoice ChoosePorts(const std::vector<std::string>& commandLinePorts, const char* variable);

// The entries of a FLASH_UPDATER_PORTS value, separated by ':'; empty entries name nothing.
std::vector<std::string> SplitPortVariable(std::string_view value);

// The number of a Windows COM port named "COM6", "com6", "\\.\COM6" or "6" (1..255).
std::optional<int32_t> ComPortNumber(std::string_view name);

// The numbers of the COM ports named; nothing, with a one-line reason in `error`, when a name is
// none.
std::optional<std::vector<int32_t>> ComPortNumbers(const std::vector<std::string>& names, std::string& error);
