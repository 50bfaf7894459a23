#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

// Time that moves only when a test or a Sleep moves it.
class VirtualClock : public Clock {
public:
    bool Sleep(uint32_t ms) override;
    void CutWaits() override { waitsCut_ = true; }
    void AllowWaits() override { waitsCut_ = false; }
    bool LocalTime(std::tm& out) override;

    uint64_t NowMs() const { return nowMs_; }
    void Advance(uint64_t ms) { nowMs_ += ms; }
    void AdvanceTo(uint64_t ms);
    void SetLocalTime(const std::tm& time, bool available = true);
    // A calendar time with its weekday and day of the year filled in, as the system gives it.
    static std::tm CalendarTime(int year, unsigned month, unsigned day, int hour, int minute, int second);
    std::vector<uint32_t> Sleeps() const;
    // Called by each Sleep with the time it sleeps until, before the clock is there: what else
    // happens meanwhile (timer ticks on the other thread) runs in it.
    void OnSleep(std::function<void(uint64_t untilMs)> hook) { sleepHook_ = std::move(hook); }

private:
    std::atomic<uint64_t> nowMs_{0};
    std::atomic<bool> waitsCut_{false};
    mutable std::mutex mutex_;
    std::tm localTime_{};
    bool localTimeAvailable_ = true;
    std::vector<uint32_t> sleeps_;
    std::function<void(uint64_t)> sleepHook_;
};
