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

void TestBench::RunFor(uint64_t ms, const std::function<void(int timerId)>& afterTick) {
    const uint64_t end = clock.NowMs() + ms;
    for (;;) {
        int nextId = -1;
        uint64_t nextDue = end + 1;
        for (const auto& [id, arm] : host.ActiveTimerArms()) {
            uint64_t from = arm.armedAtMs;
            if (auto it = lastFiredMs_.find(id); it != lastFiredMs_.end() && it->second >= from) from = it->second;
            const uint64_t due = from + arm.periodMs;
            if (due < nextDue) {
                nextDue = due;
                nextId = id;
            }
        }
        if (nextId < 0) break;
        clock.AdvanceTo(nextDue);
        FireTimer(nextId);
        if (afterTick) afterTick(nextId);
    }
    clock.AdvanceTo(end);
}
