#include "TestBench.h"

TestBench::TestBench() : TestBench(port) {}

TestBench::TestBench(SerialPort& device) : link(device) {
    host.UseTimeSource([this] { return clock.NowMs(); });
    dlg = std::make_unique<CFlashDlg>(PlatformServices{host, clock, link, ports, system});
}

bool TestBench::FireTimer(int timerId) {
    if (!host.ActiveTimers().count(timerId)) return false;
    lastFiredMs_[timerId] = clock.NowMs();
    dlg->OnTimer(timerId);
    return true;
}

std::optional<TestBench::DueTimer> TestBench::NextTimer() const {
    std::optional<DueTimer> next;
    for (const auto& [id, arm] : host.ActiveTimerArms()) {
        uint64_t from = arm.armedAtMs;
        if (auto it = lastFiredMs_.find(id); it != lastFiredMs_.end() && it->second >= from) from = it->second;
        const uint64_t due = from + arm.periodMs;
        if (!next || due < next->dueMs) next = DueTimer{id, due};
    }
    return next;
}

void TestBench::RunFor(uint64_t ms, const std::function<void(int timerId)>& afterTick) {
    const uint64_t end = clock.NowMs() + ms;
    for (;;) {
        const std::optional<DueTimer> next = NextTimer();
        if (!next || next->dueMs > end) break;
        clock.AdvanceTo(next->dueMs);
        FireTimer(next->id);
        if (afterTick) afterTick(next->id);
    }
    clock.AdvanceTo(end);
}
