#pragma once

#include <cstddef>

#include "platform/PortEnumerator.h"

// Port numbers are positions in the device list (1-based); the list is read once, at start-up,
// and every device in it is listed, busy or not.
class PosixPortEnumerator final : public PortEnumerator {
public:
    explicit PosixPortEnumerator(size_t deviceCount) : deviceCount_(deviceCount) {}
    std::vector<int32_t> UsablePorts() override;

private:
    size_t deviceCount_;
};
