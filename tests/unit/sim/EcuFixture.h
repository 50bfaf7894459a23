#pragma once

#include <memory>
#include <vector>

#include "sim/Ecu.h"

using Bytes = std::vector<uint8_t>;

// The ECU alone, without line or time, brought into the state a test names.
enum class EcuState { Default, Diagnostic, Programming };

struct EcuFixture {
    explicit EcuFixture(sim::SimOptions opts = {});

    Bytes Do(const Bytes& request) { return ecu->Handle(request).now; }
    void Unlock(int level);
    void Enter(EcuState state);

    sim::SimOptions options;
    sim::Prng prng{7};
    std::unique_ptr<sim::Ecu> ecu;
};
