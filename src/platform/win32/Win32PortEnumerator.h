#pragma once

#include "platform/PortEnumerator.h"

// COM1..COM255 that open, or that exist but are in use or refuse this user.
class Win32PortEnumerator final : public PortEnumerator {
public:
    std::vector<int32_t> UsablePorts() override;
};
