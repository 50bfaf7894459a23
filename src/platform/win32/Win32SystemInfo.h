#pragma once

#include "platform/SystemInfo.h"

class Win32SystemInfo final : public SystemInfo {
public:
    bool UserName(std::string& out) override;
};
