#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/Simulator.h"

// A host on the simulated line in virtual time: sends frames, collects answers.
class SimHarness {
public:
    explicit SimHarness(sim::SimOptions options = {});

    sim::Simulator sim;
    uint64_t nowUs = 0;
    uint32_t hostBaud = 9600;

    // Frames the payload (length byte, payload, sum) and sends it at the host's speed.
    void Send(const std::vector<uint8_t>& payload);
    void SendRaw(const std::vector<uint8_t>& bytes);
    // Runs the model until one whole frame has arrived: its payload, or nothing when the model
    // falls silent first (a frame with a bad sum also counts as nothing).
    std::optional<std::vector<uint8_t>> NextAnswer();
    std::optional<std::vector<uint8_t>> Ask(const std::vector<uint8_t>& payload);
    // Runs the model until nothing is scheduled; the bytes that arrived.
    std::vector<uint8_t> Drain();
    void Wait(uint64_t ms);

    // Security access at level 5 or 7 with the key the ECU expects.
    void Unlock(int level, int keyVariant = 1);
    // Default -> 0x84 (at 38400 baud, as the speed switch leaves the line).
    void EnterDiagnosticSession();
    void EnterProgrammingSession();

private:
    std::vector<uint8_t> pending_;
};

std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload);
