#include "platform/posix/PosixPortEnumerator.h"

#include <numeric>

#include "platform/posix/SerialDeviceInfo.h"

std::vector<int32_t> PosixPortEnumerator::UsablePorts() {
    std::vector<int32_t> numbers(devicePaths_.size());
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

const std::string* PosixPortEnumerator::PathOf(int32_t portNumber) const {
    if (portNumber < 1 || static_cast<size_t>(portNumber) > devicePaths_.size()) return nullptr;
    return &devicePaths_[static_cast<size_t>(portNumber) - 1];
}

std::string PosixPortEnumerator::PortName(int32_t portNumber) const {
    const std::string* path = PathOf(portNumber);
    return path ? *path : PortEnumerator::PortName(portNumber);
}

std::string PosixPortEnumerator::PortDescription(int32_t portNumber) const {
    const std::string* path = PathOf(portNumber);
    return path ? DescribeSerialDevice(*path) : std::string();
}
