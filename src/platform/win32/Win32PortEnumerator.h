#pragma once

#include <vector>

#include "platform/PortEnumerator.h"

// The COM ports the operator named, in that order; without any, COM1..COM255 that open, or that
// exist but are in use or refuse this user.
class Win32PortEnumerator final : public PortEnumerator {
public:
    explicit Win32PortEnumerator(std::vector<int32_t> named = {}) : named_(std::move(named)) {}
    std::vector<int32_t> UsablePorts() override;
    std::string PortName(int32_t portNumber) const override;
    // The device's friendly name as the device manager shows it ("USB Serial Port (COM6)").
    std::string PortDescription(int32_t portNumber) const override;

private:
    const std::vector<int32_t> named_;
};
