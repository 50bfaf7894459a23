#pragma once

#include <string>
#include <vector>

#include "platform/PortEnumerator.h"

// Port numbers are positions in the device list (1-based); the list is read once, at start-up,
// and every device in it is listed, busy or not.
class PosixPortEnumerator final : public PortEnumerator {
public:
    explicit PosixPortEnumerator(std::vector<std::string> devicePaths) : devicePaths_(std::move(devicePaths)) {}
    std::vector<int32_t> UsablePorts() override;
    std::string PortName(int32_t portNumber) const override;
    std::string PortDescription(int32_t portNumber) const override;

private:
    const std::string* PathOf(int32_t portNumber) const;

    const std::vector<std::string> devicePaths_;
};
