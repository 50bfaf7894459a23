#include "ui/console/StopSignalPolicy.h"

StopAction StopSignalPolicy::Decide(StopSignal signal, bool ecuBeingChanged,
                                    std::chrono::steady_clock::time_point now) {
    if (signal == StopSignal::TerminalStop) return ecuBeingChanged ? StopAction::Refuse : StopAction::Suspend;
    if (signal == StopSignal::Terminate || !ecuBeingChanged) return StopAction::Close;
    if (signal == StopSignal::HangUp) return StopAction::GoOn;
    // Ctrl-C and Ctrl-\ confirm each other: either key pressed twice means the operator wants out.
    if (warnedAt_ && now - *warnedAt_ <= kConfirmWindow) return StopAction::Close;
    warnedAt_ = now;
    return StopAction::Warn;
}
