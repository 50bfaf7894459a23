#pragma once

#include <QSocketNotifier>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Carries calls from other threads into the user-interface thread (the one that creates the
// queue). The event loop learns of waiting calls through an eventfd, so no Qt object crosses
// threads; while the user-interface thread waits for another thread (ServeUntil) it serves the
// calls without the event loop, and nothing else runs.
class UiCallQueue {
public:
    UiCallQueue();
    ~UiCallQueue();
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
    // Runs the call on the user-interface thread and returns when it is done.
    void Call(const std::function<void()>& call);
    // Runs the call later on the user-interface thread; returns at once.
    void Post(std::function<void()> call);
    // On the user-interface thread: serves calls until `finished()` holds.
    void ServeUntil(const std::function<bool()>& finished);
    // Any thread: makes ServeUntil test its condition again.
    void Wake();

private:
    struct Waiting {
        std::function<void()> posted;                   // Post: owned here
        const std::function<void()>* called = nullptr;  // Call: owned by the waiting caller
        bool* done = nullptr;
    };
    void Enqueue(Waiting item);
    // Runs what is waiting now; false when nothing was.
    bool ServeWaiting();

    const std::thread::id uiThread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Waiting> waiting_;
    uint64_t generation_ = 0;
    int eventFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};
