#pragma once

#include <string>

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The current user's name; false when it cannot be obtained.
    virtual bool UserName(std::string& out) = 0;
};
