#pragma once

#include <string>

#include "platform/SystemInfo.h"

// The account the program runs under (its effective user in the password database); where the
// database has no entry for it, the login name the environment gives.
class PosixSystemInfo final : public SystemInfo {
public:
    bool UserName(std::string& out) override;
};

// The first of the names that is known and not empty; false when none is.
bool PickUserName(const char* accountName, const char* logname, const char* user, std::string& out);
