#include "ui/console/UiEventLoop.h"

#include <algorithm>

UiEventLoop::UiEventLoop() : uiThread_(std::this_thread::get_id()) {}

void UiEventLoop::SetTimer(int timerId, uint32_t periodMs) {
    std::lock_guard lock(mutex_);
    const std::chrono::milliseconds period(std::max<uint32_t>(periodMs, 1));
    timers_[timerId] = Timer{period, std::chrono::steady_clock::now() + period};
    ++changes_;
    changed_.notify_all();
}

void UiEventLoop::KillTimer(int timerId) {
    std::lock_guard lock(mutex_);
    timers_.erase(timerId);
    ++changes_;
}

void UiEventLoop::RunOnUiThread(const std::function<void()>& call) {
    if (OnUiThread()) {
        call();
        return;
    }
    std::unique_lock lock(mutex_);
    Call pending{&call};
    calls_.push_back(&pending);
    ++changes_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return pending.done; });
}

void UiEventLoop::Post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    ++changes_;
    changed_.notify_all();
}

void UiEventLoop::RunUntil(const std::function<bool()>& done) { Loop(done, Serve::Everything); }

void UiEventLoop::ServeCallsUntil(const std::function<bool()>& finished) { Loop(finished, Serve::CallsOnly); }

void UiEventLoop::Wake() {
    std::lock_guard lock(mutex_);
    ++changes_;
    changed_.notify_all();
}

uint64_t UiEventLoop::Wakeups() const {
    std::lock_guard lock(mutex_);
    return wakeups_;
}

void UiEventLoop::Loop(const std::function<bool()>& done, Serve serve) {
    std::unique_lock lock(mutex_);
    for (;;) {
        // The condition is tested without the lock (it may look at anything); whatever happens
        // while it is being tested still ends the sleep below.
        const uint64_t changesSeen = changes_;
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished) return;
        if (DoOneEvent(lock, serve)) continue;

        const auto changed = [&] { return changes_ != changesSeen; };
        const auto next = NextDueTimer();
        if (serve == Serve::Everything && next != timers_.end()) {
            const Time due = next->second.due;
            changed_.wait_until(lock, due, [&] { return changed() || std::chrono::steady_clock::now() >= due; });
        } else {
            changed_.wait(lock, changed);
        }
        ++wakeups_;
    }
}

std::map<int, UiEventLoop::Timer>::iterator UiEventLoop::NextDueTimer() {
    return std::min_element(timers_.begin(), timers_.end(),
                            [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
}

bool UiEventLoop::DoOneEvent(std::unique_lock<std::mutex>& lock, Serve serve) {
    if (!calls_.empty()) {
        Call* call = calls_.front();
        calls_.pop_front();
        lock.unlock();
        (*call->body)();
        lock.lock();
        call->done = true;
        changed_.notify_all();
        return true;
    }
    if (serve == Serve::CallsOnly) return false;
    if (!tasks_.empty()) {
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
        return true;
    }
    const Time now = std::chrono::steady_clock::now();
    const auto due = NextDueTimer();
    if (due == timers_.end() || due->second.due > now) return false;
    Timer& timer = due->second;
    // A late tick does not bring a burst of catch-up ticks: the next one is a period away.
    timer.due += timer.period;
    if (timer.due <= now) timer.due = now + timer.period;
    const int timerId = due->first;
    lock.unlock();
    if (onTimer_) onTimer_(timerId);
    lock.lock();
    return true;
}
