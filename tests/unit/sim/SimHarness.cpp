#include "SimHarness.h"

#include <gtest/gtest.h>

#include "link/Framing.h"
#include "sim/SecurityKey.h"

SimHarness::SimHarness(sim::SimOptions options) : sim(std::move(options)) {}

std::vector<uint8_t> Frame(const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> frame{static_cast<uint8_t>(payload.size() + 1)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(ByteSum(frame.data(), static_cast<uint32_t>(frame.size())));
    return frame;
}

void SimHarness::Send(const std::vector<uint8_t>& payload) { SendRaw(Frame(payload)); }

void SimHarness::SendRaw(const std::vector<uint8_t>& bytes) { sim.Receive(bytes, hostBaud, nowUs); }

std::optional<std::vector<uint8_t>> SimHarness::NextAnswer() {
    for (;;) {
        if (!pending_.empty() && pending_.size() >= std::size_t{pending_[0]} + 1) {
            const std::size_t length = pending_[0];
            std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + length + 1);
            pending_.erase(pending_.begin(), pending_.begin() + length + 1);
            if (ByteSum(frame.data(), static_cast<uint32_t>(length)) != frame[length]) return std::nullopt;
            return std::vector<uint8_t>(frame.begin() + 1, frame.end() - 1);
        }
        const auto next = sim.NextEventTime();
        if (!next) return std::nullopt;
        nowUs = std::max(nowUs, *next);
        const auto bytes = sim.TakeDue(nowUs, hostBaud);
        pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    }
}

std::optional<std::vector<uint8_t>> SimHarness::Ask(const std::vector<uint8_t>& payload) {
    Send(payload);
    return NextAnswer();
}

std::vector<uint8_t> SimHarness::Drain() {
    std::vector<uint8_t> bytes;
    pending_.swap(bytes);
    while (const auto next = sim.NextEventTime()) {
        nowUs = std::max(nowUs, *next);
        const auto due = sim.TakeDue(nowUs, hostBaud);
        bytes.insert(bytes.end(), due.begin(), due.end());
    }
    return bytes;
}

void SimHarness::Wait(uint64_t ms) {
    nowUs += ms * 1000;
    const auto due = sim.TakeDue(nowUs, hostBaud);
    pending_.insert(pending_.end(), due.begin(), due.end());
}

void SimHarness::Unlock(int level, int keyVariant) {
    const uint8_t seedMode = level == 7 ? 0x07 : 0x05;
    const auto seed = Ask({0x27, seedMode});
    ASSERT_TRUE(seed && seed->size() == 4 && (*seed)[0] == 0x67) << "no seed";
    const uint16_t value = static_cast<uint16_t>((*seed)[2] << 8 | (*seed)[3]);
    if (value == 0) return;
    const auto formula = level == 7        ? sim::KeyFormula::Level7
                         : keyVariant == 2 ? sim::KeyFormula::Level5Variant2
                                           : sim::KeyFormula::Level5Variant1;
    const uint16_t key = sim::SecurityKey(formula, value);
    const auto answer =
        Ask({0x27, static_cast<uint8_t>(seedMode + 1), static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)});
    ASSERT_EQ(answer, (std::vector<uint8_t>{0x67, static_cast<uint8_t>(seedMode + 1), 0x34}));
}

void SimHarness::EnterDiagnosticSession() {
    Unlock(5);
    ASSERT_EQ(Ask({0x10, 0x84}), (std::vector<uint8_t>{0x50, 0x84}));
    // As the program does: 400 ms for the adapter, then its own speed, then 100 ms more.
    SendRaw({0x02, 0x94, 0x96});
    Wait(400);
    hostBaud = 38400;
    Wait(100);
}

void SimHarness::EnterProgrammingSession() {
    EnterDiagnosticSession();
    Unlock(7);
    ASSERT_EQ(Ask({0x10, 0x85}), (std::vector<uint8_t>{0x50, 0x85}));
}
