#include "link/PortChoice.h"

#include <algorithm>
#include <cctype>

PortChoice ChoosePorts(const std::vector<std::string>& commandLinePorts, const char* variable) {
    if (!commandLinePorts.empty()) return {commandLinePorts, {}};
    if (variable == nullptr) return {};
    PortChoice choice{SplitPortVariable(variable), {}};
    if (choice.names.empty())
        choice.error = "FLASH_UPDATER_PORTS is set but names no port (name them separated by ':', or unset it)";
    return choice;
}

std::vector<std::string> SplitPortVariable(std::string_view value) {
    std::vector<std::string> paths;
    while (!value.empty()) {
        const size_t end = std::min(value.find(':'), value.size());
        if (end > 0) paths.emplace_back(value.substr(0, end));
        value.remove_prefix(std::min(end + 1, value.size()));
    }
    return paths;
}

std::optional<int32_t> ComPortNumber(std::string_view name) {
    const auto startsWith = [&](std::string_view prefix) {
        return name.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), name.begin(),
                          [](char p, char c) { return p == std::toupper(static_cast<unsigned char>(c)); });
    };
    if (startsWith("\\\\.\\")) name.remove_prefix(4);
    if (startsWith("COM")) name.remove_prefix(3);
    if (name.empty() || name.size() > 3 || name.front() == '0') return std::nullopt;
    int32_t number = 0;
    for (const char c : name) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number > 255) return std::nullopt;
    return number;
}

std::optional<std::vector<int32_t>> ComPortNumbers(const std::vector<std::string>& names, std::string& error) {
    std::vector<int32_t> numbers;
    for (const std::string& name : names) {
        const std::optional<int32_t> number = ComPortNumber(name);
        if (!number) {
            error = "'" + name + "' is no COM port (COM1 to COM255, or 1 to 255)";
            return std::nullopt;
        }
        numbers.push_back(*number);
    }
    return numbers;
}
