#include "link/RequestScheduler.h"

#include "app/CFlashDlg.h"

namespace {

constexpr std::array<uint8_t, kScanPositions> BuildScanOrder() {
    std::array<uint8_t, kScanPositions> order{};
    int position = 0;
    auto add = [&](int first, int last) {
        for (int row = first; row <= last; ++row) order[static_cast<size_t>(position++)] = static_cast<uint8_t>(row);
    };
    add(0, 153);
    add(155, 155);
    add(162, 173);
    add(154, 154);
    add(156, 161);
    add(174, 184);
    return order;
}

std::atomic<uint8_t> g_idleSteps{0};

}  // namespace

const std::array<uint8_t, kScanPositions> ScanOrder = BuildScanOrder();

std::atomic<uint8_t>& IdleSteps() { return g_idleSteps; }

// Sends the next pending row, at most one request outstanding; a request unanswered for 20 ticks
// is given up on the 21st and, being still pending, sent again on that tick.
void CFlashDlg::SchedulerTick() {
    // While a response handler still works (its waits after a speed switch or a reset) the
    // response is not overdue: a time-out then would only send into a restarting ECU.
    if (scheduler.awaitingResponse == 1 && scheduler.handlingResponse == 0) {
        if (scheduler.responseTimeoutTicks < kResponseTimeoutTicks) {
            ++scheduler.responseTimeoutTicks;
        } else {
            scheduler.awaitingResponse = 0;
            scheduler.responseTimeoutTicks = 0;
            rxCount = 0;
            StepBusyIndicator();
            OnResponseTimeout();
        }
    }
    if (scheduler.awaitingResponse != 1) scheduler.responseTimeoutTicks = 0;
    CheckFinalAnswerOverdue();
    SendPendingRequests();
}

void CFlashDlg::SendPendingRequests() {
    while (scheduler.awaitingResponse == 0) {
        if (SendNextPending() == 0) break;
    }
}

// A response has just been handled: the next request goes out now rather than at the next tick,
// so a request and its answer follow each other as fast as the line carries them.
void CFlashDlg::OnDispatch() {
    if (!commThread.Exists() || stopCommThread != 0) return;  // the link is not running
    SendPendingRequests();
}

// One scan step. The idle budget bounds the work of a tick when nothing is pending; it carries
// over from tick to tick and is reset only when it is used up.
int CFlashDlg::SendNextPending() {
    std::atomic<uint8_t>& idleSteps = IdleSteps();
    const uint8_t cursor = scheduler.scanCursor;
    if (cursor >= kScanPositions) {
        scheduler.scanCursor = 0;
        ++idleSteps;
    } else if (const uint8_t row = ScanOrder[cursor]; scheduler.pendingFlags[row] == 1) {
        SendRequest(row);
    } else {
        scheduler.scanCursor = static_cast<uint8_t>(cursor + 1);
        ++idleSteps;
    }
    if (idleSteps == kIdleBudget) {
        idleSteps = 0;
        return 0;
    }
    return 1;
}
