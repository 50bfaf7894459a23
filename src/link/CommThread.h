#pragma once

#include <atomic>
#include <functional>
#include <thread>

class DialogHost;

// The handle of the receive thread. The thread makes synchronous window calls, so it is joined
// through the window: the user-interface thread carries out those calls while it waits, and the
// join cannot deadlock against one that is pending.
class CommThread {
public:
    CommThread() = default;
    CommThread(const CommThread&) = delete;
    CommThread& operator=(const CommThread&) = delete;

    // Runs `body` on a new thread; false when the thread cannot be created.
    bool Start(DialogHost& host, std::function<void()> body);
    bool Exists() const { return handle_.joinable(); }
    // On the user-interface thread, after the body has been told to end: waits for it.
    void Join(DialogHost& host);

private:
    std::thread handle_;
    std::atomic<bool> ended_{false};
};
