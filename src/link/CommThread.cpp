#include "link/CommThread.h"

#include <system_error>

#include "platform/DialogHost.h"

bool CommThread::Start(DialogHost& host, std::function<void()> body) {
    if (handle_.joinable()) return false;
    ended_ = false;
    try {
        handle_ = std::thread([this, &host, body = std::move(body)] {
            body();
            ended_ = true;
            host.WakeWaitingUiThread();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CommThread::Join(DialogHost& host) {
    // The thread never waits for its own end: only the user-interface thread joins it.
    if (!handle_.joinable() || handle_.get_id() == std::this_thread::get_id()) return;
    host.WaitServingCalls([this] { return ended_.load(); });
    handle_.join();
}
