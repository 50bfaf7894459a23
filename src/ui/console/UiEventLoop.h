#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

// The console program's user-interface thread: window timers by id and period, window calls
// from other threads carried out here while their callers wait, and tasks posted for the next
// turn. Between events the thread sleeps on a condition variable until the next timer is due or
// something arrives; it never polls.
class UiEventLoop {
public:
    using TimerHandler = std::function<void(int timerId)>;

    // The constructing thread is the user-interface thread.
    UiEventLoop();
    UiEventLoop(const UiEventLoop&) = delete;
    UiEventLoop& operator=(const UiEventLoop&) = delete;

    // Set before the loop first runs.
    void SetTimerHandler(TimerHandler onTimer) { onTimer_ = std::move(onTimer); }

    // Arms (or re-arms) the timer: it fires every `periodMs` from now on.
    void SetTimer(int timerId, uint32_t periodMs);
    void KillTimer(int timerId);

    // Carries out `call` on the user-interface thread; a caller on another thread waits for it.
    void RunOnUiThread(const std::function<void()>& call);
    // Any thread: `task` runs on a later turn of RunUntil (never inside ServeCallsUntil).
    void Post(std::function<void()> task);

    // On the user-interface thread: fires timers, carries out calls and runs posted tasks until
    // `done()` holds; it is tested before every event. May be entered again from inside an event
    // (a modal prompt keeps the timers running, as a modal window does).
    void RunUntil(const std::function<bool()>& done);
    // On the user-interface thread: carries out calls only, until `finished()` holds.
    void ServeCallsUntil(const std::function<bool()>& finished);
    // Any thread: makes the waiting user-interface thread test its condition again.
    void Wake();

    // How often the thread woke from its sleep; shows that an idle loop sleeps.
    uint64_t Wakeups() const;

private:
    using Time = std::chrono::steady_clock::time_point;
    struct Timer {
        std::chrono::milliseconds period;
        Time due;
    };
    struct Call {
        const std::function<void()>* body;
        bool done = false;
    };
    enum class Serve { CallsOnly, Everything };

    void Loop(const std::function<bool()>& done, Serve serve);
    // Does one event that is ready; false when there was none. Entered and left with the lock.
    bool DoOneEvent(std::unique_lock<std::mutex>& lock, Serve serve);
    std::map<int, Timer>::iterator NextDueTimer();
    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

    const std::thread::id uiThread_;
    TimerHandler onTimer_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, Timer> timers_;
    std::deque<Call*> calls_;
    std::deque<std::function<void()>> tasks_;
    uint64_t changes_ = 0;  // counts everything that may end a sleep: timers, calls, tasks, wakes
    uint64_t wakeups_ = 0;
};
