#include "ui/console/StopSignalPolicy.h"

StopAction StopSignalPolicy::Decide(StopSignal signal, bool ecuBeingChanged,
                                    std::chrono::steady_clock::time_point now) {
    if (signal == StopSignal::Terminate || !ecuBeingChanged) return StopAction::Close;
    if (signal == StopSignal::HangUp) return StopAction::GoOn;
    if (warnedAt_ && now - *warnedAt_ <= kConfirmWindow) return StopAction::Close;
    warnedAt_ = now;
    return StopAction::Warn;
}
