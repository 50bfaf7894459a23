#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "FlashMemory.h"
#include "Prng.h"
#include "RecordStore.h"
#include "SimOptions.h"

namespace sim {

using Bytes = std::vector<uint8_t>;

// What the ECU does with one request. Time is the caller's: the ECU only says how long it stays
// busy and what it answers when that time is over.
struct EcuAnswer {
    EcuAnswer() = default;
    EcuAnswer(Bytes answer) : now(std::move(answer)) {}  // so a handler returns {bytes}

    Bytes now;    // payload answered at once; empty: no answer
    Bytes later;  // payload answered when busyMs have passed (after an erase)
    uint32_t busyMs = 0;
    bool resets = false;          // the ECU resets once `now` has left
    bool finishesUpdate = false;  // answer to the clear of diagnostic information after both areas were programmed
    std::string violation;        // what a real ECU would object to in the request, for the run's report
};

enum class Session : uint8_t { Default = 0x81, Diagnostic = 0x84, Programming = 0x85 };

// The ECU behind the adapter: KWP2000 services over its flash, records and security access.
// Strict: what the ECU would not accept in its state gets the negative answer it would give.
class Ecu {
public:
    Ecu(const SimOptions& options, Prng& prng);

    EcuAnswer Handle(std::span<const uint8_t> request);
    // Reset by 11 01 or by power: default session, locked, no area erased in this session.
    void Reset();

    const FlashMemory& Flash() const { return flash_; }
    const RecordStore& Records() const { return records_; }
    Session CurrentSession() const { return session_; }
    bool Unlocked(int level) const { return level == 5 ? level5Unlocked_ : level7Unlocked_; }
    bool AreaErasedThisRun(FlashArea area) const { return erasedThisRun_[Index(area)]; }
    bool DiagnosticsCleared() const { return diagnosticsCleared_; }

private:
    static std::size_t Index(FlashArea area) { return area == FlashArea::Base ? 0 : 1; }

    EcuAnswer StartSession(std::span<const uint8_t> request);
    EcuAnswer StopSession(std::span<const uint8_t> request);
    EcuAnswer ResetService(std::span<const uint8_t> request);
    EcuAnswer ClearDiagnostics(std::span<const uint8_t> request);
    EcuAnswer SecurityAccess(std::span<const uint8_t> request);
    EcuAnswer StartRoutine(std::span<const uint8_t> request);
    EcuAnswer ReadIdentification(std::span<const uint8_t> request);
    EcuAnswer ReadLocal(std::span<const uint8_t> request);
    EcuAnswer ReadInfoBlock(std::span<const uint8_t> request);
    EcuAnswer ReadChecksum(std::span<const uint8_t> request);
    EcuAnswer ReadRecord(std::span<const uint8_t> request);
    EcuAnswer WriteLocal(std::span<const uint8_t> request);
    EcuAnswer WriteMemory(std::span<const uint8_t> request);
    // What erasing the base area does to the records.
    void ForgetConfiguration();

    bool InDiagnosticOrProgramming() const { return session_ != Session::Default; }
    uint16_t NewSeed();

    const SimOptions& options_;
    Prng& prng_;
    FlashMemory flash_;
    RecordStore records_;
    Session session_ = Session::Default;
    bool level5Unlocked_ = false;
    bool level7Unlocked_ = false;
    std::optional<uint16_t> expectedKey5_, expectedKey7_;  // a seed is out, waiting for its key
    bool erasedThisSession_[2] = {false, false};
    bool erasedThisRun_[2] = {false, false};
    bool programmedThisRun_[2] = {false, false};
    bool diagnosticsCleared_ = false;
};

// 7F service code.
Bytes Negative(uint8_t service, uint8_t code);

}  // namespace sim
