#include "platform/posix/PosixPortEnumerator.h"

#include <numeric>

std::vector<int32_t> PosixPortEnumerator::UsablePorts() {
    std::vector<int32_t> numbers(deviceCount_);
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}
