#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// The user-interface thread of the scripted window. Until a thread claims it, every call runs on
// its caller's thread. Once claimed, calls from other threads wait until the claiming thread
// carries them out, as a real window's synchronous calls do.
class UiThreadCalls {
public:
    // The calling thread becomes the user-interface thread.
    void Claim();
    void Run(const std::function<void()>& call);
    // On the user-interface thread: carries out waiting calls until `finished()` holds.
    void ServeUntil(const std::function<bool()>& finished);
    // Any thread: makes ServeUntil test its condition again.
    void Wake();
    // Whether a call from another thread is waiting; waits up to `deadline` for one.
    bool AwaitWaitingCall(std::chrono::milliseconds deadline);

private:
    struct Pending {
        const std::function<void()>* call;
        bool done;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::thread::id> uiThread_;
    std::deque<Pending*> waiting_;
};
