#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

// The operator's answers: lines read from a file descriptor (standard input) by a thread of its
// own, so that the user-interface thread keeps serving its timers and calls while a prompt waits.
// Reading starts with the first look for a line; the thread sleeps in poll() and ends when the
// input ends or the object goes.
class LineInput {
public:
    // `arrived` is called on the reading thread whenever a line or the end of the input came.
    LineInput(int fd, std::function<void()> arrived);
    ~LineInput();
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    // The next whole line (without its line end), if one has come.
    std::optional<std::string> TakeLine();
    // No further line will come (end of input or a read error).
    bool Ended();
    // Drops what was typed before a question, so that an early key never answers it: what the
    // terminal holds, what the reader has read but not yet handed over, and on Windows a line
    // being typed into the read in progress. Only on a terminal: answers a script pipes in are
    // meant for the questions to come.
    void DiscardTypeAhead();

private:
    void StartReading();
    void ReadLoop();
    void Received(const char* bytes, size_t count);
    void InputEnded();

    const int fd_;
    const std::function<void()> arrived_;
    // POSIX: held from the look whether the input is readable to the bytes' hand-over, and by the
    // discard, so that no chunk read before a discard is handed over after it.
    std::mutex readMutex_;
    std::mutex mutex_;
    std::string buffered_;              // read but not yet taken
    uint64_t discards_ = 0;             // Windows: a chunk read across a discard is dropped
    std::atomic<bool> closing_{false};  // Windows: a cancelled read ends the reader rather than being retried
    bool ended_ = false;
    bool started_ = false;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    std::thread reader_;
};
