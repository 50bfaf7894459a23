#pragma once

#include <cstdint>
#include <vector>

// Lists the port numbers that can be tried, ascending: COM numbers on Windows, 1-based
// positions in the device list elsewhere. A port that exists but is busy is listed.
class PortEnumerator {
public:
    virtual ~PortEnumerator() = default;
    virtual std::vector<int32_t> UsablePorts() = 0;
};
