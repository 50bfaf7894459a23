// Reading standard input on Windows: the reader sleeps in a blocking ReadFile, which the
// destructor cancels.
#include <io.h>
#include <pthread.h>
#include <windows.h>

#include "ui/console/LineInput.h"

LineInput::~LineInput() {
    if (!reader_.joinable()) return;
    auto thread = static_cast<HANDLE>(pthread_gethandle(reader_.native_handle()));
    if (CancelSynchronousIo(thread) || GetLastError() == ERROR_NOT_FOUND) {
        reader_.join();
        return;
    }
    reader_.detach();  // an input that cannot be cancelled: the process is ending anyway
}

void LineInput::StartReading() {
    std::lock_guard lock(mutex_);
    if (started_) return;
    started_ = true;
    reader_ = std::thread([this] { ReadLoop(); });
}

void LineInput::ReadLoop() {
    const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    for (;;) {
        char chunk[256];
        DWORD n = 0;
        if (!ReadFile(input, chunk, sizeof chunk, &n, nullptr) || n == 0) break;
        Received(chunk, n);
    }
    InputEnded();
}

void LineInput::DiscardTypeAhead() {
    const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return;
    FlushConsoleInputBuffer(input);
    std::lock_guard lock(mutex_);
    buffered_.clear();
}
