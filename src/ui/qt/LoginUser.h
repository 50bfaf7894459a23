#pragma once

#include "platform/SystemInfo.h"

// The name of the user the program runs as, from the password database.
class LoginUser final : public SystemInfo {
public:
    bool UserName(std::string& out) override;
};
