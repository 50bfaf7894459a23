#include "UiThreadCalls.h"

void UiThreadCalls::Claim() {
    std::lock_guard lock(mutex_);
    uiThread_ = std::this_thread::get_id();
}

void UiThreadCalls::Run(const std::function<void()>& call) {
    std::unique_lock lock(mutex_);
    if (!uiThread_ || *uiThread_ == std::this_thread::get_id()) {
        lock.unlock();
        call();
        return;
    }
    Pending pending{&call, false};
    waiting_.push_back(&pending);
    changed_.notify_all();
    changed_.wait(lock, [&] { return pending.done; });
}

void UiThreadCalls::ServeUntil(const std::function<bool()>& finished) {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !waiting_.empty() || finished(); });
        if (waiting_.empty()) return;
        Pending* pending = waiting_.front();
        waiting_.pop_front();
        lock.unlock();
        (*pending->call)();
        lock.lock();
        pending->done = true;
        changed_.notify_all();
    }
}

void UiThreadCalls::Wake() {
    std::lock_guard lock(mutex_);
    changed_.notify_all();
}

bool UiThreadCalls::AwaitWaitingCall(std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] { return !waiting_.empty(); });
}
