// Reading standard input on Windows: the reader sleeps in a blocking ReadFile, which the
// destructor cancels. A read is also cancelled by a discard (the line being typed into it goes
// with it) and by Ctrl-C on a console; such a read is begun again, not taken for the end of the
// input.
#include <io.h>
#include <pthread.h>
#include <windows.h>

#include "ui/console/LineInput.h"

LineInput::~LineInput() {
    if (!reader_.joinable()) return;
    closing_ = true;
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
    while (!closing_) {
        uint64_t discards = 0;
        {
            std::lock_guard lock(mutex_);
            discards = discards_;
        }
        char chunk[256];
        DWORD n = 0;
        SetLastError(ERROR_SUCCESS);
        const BOOL read = ReadFile(input, chunk, sizeof chunk, &n, nullptr);
        if (!read || n == 0) {
            if (GetLastError() == ERROR_OPERATION_ABORTED && !closing_) continue;
            break;
        }
        {
            std::lock_guard lock(mutex_);
            if (discards != discards_) continue;  // typed before the question
        }
        Received(chunk, n);
    }
    InputEnded();
}

void LineInput::DiscardTypeAhead() {
    const auto input = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return;
    {
        std::lock_guard lock(mutex_);
        ++discards_;
        buffered_.clear();
    }
    // The console keeps the keys of a line being typed in the pending read: cancelling the read
    // drops them; the reader begins a new one.
    if (reader_.joinable()) CancelSynchronousIo(static_cast<HANDLE>(pthread_gethandle(reader_.native_handle())));
    FlushConsoleInputBuffer(input);
}
