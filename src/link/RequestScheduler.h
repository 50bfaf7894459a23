#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "link/RequestTable.h"

// One pending flag per request row; only the value 1 counts as pending. The flags, the
// awaited-response flag and the cursor are shared with the receive thread.
struct SchedulerState {
    std::atomic<uint8_t> scanCursor{0};            // position in ScanOrder, 0..185
    std::atomic<uint8_t> responseTimeoutTicks{0};  // ticks spent waiting for the current response
    std::atomic<int32_t> awaitingResponse{0};
    std::atomic<int32_t> handlingResponse{0};  // a response handler is at work (its waits included)
    std::array<std::atomic<int32_t>, kRequestRowCount> pendingFlags{};
};

inline constexpr uint8_t kScanPositions = 185;
// The scan positions plus the wrap step: the most work one idle tick does.
inline constexpr uint8_t kIdleBudget = 186;
// Ticks counted while a response is awaited; the next tick times out.
inline constexpr uint8_t kResponseTimeoutTicks = 20;
// Ticks (10 s) a final answer announced by "response pending" may take before the request goes
// out again; an ECU that needs longer says "pending" again meanwhile.
inline constexpr uint32_t kFinalAnswerTicks = 200;

// The order in which rows are looked at: ascending, except that the rows 154..173 come as
// 155, 162..173, 154, 156..161.
extern const std::array<uint8_t, kScanPositions> ScanOrder;

// Scan steps that found nothing to send, counted across the whole program (not per dialog).
std::atomic<uint8_t>& IdleSteps();
