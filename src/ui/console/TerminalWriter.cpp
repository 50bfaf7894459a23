#include "ui/console/TerminalWriter.h"

#include <utility>

#include "ui/console/ConsoleOutput.h"

TerminalWriter::TerminalWriter(ConsoleOutput& screen, std::ostream& errors)
    : screen_(screen), errors_(errors), thread_([this] { Write(); }) {}

TerminalWriter::~TerminalWriter() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void TerminalWriter::PrintLine(std::string_view text) {
    {
        const std::lock_guard lock(mutex_);
        lastLine_ = LastLineShown(text);
    }
    Queue(Line{false, std::string(text)});
}

void TerminalWriter::PrintError(std::string_view text) { Queue(Line{true, std::string(text)}); }

void TerminalWriter::Queue(Line line) {
    {
        const std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    changed_.notify_all();
}

void TerminalWriter::ShowBusyLine(std::string_view text) {
    {
        const std::lock_guard lock(mutex_);
        busy_ = BusyLine{true, std::string(text)};
    }
    changed_.notify_all();
}

void TerminalWriter::HideBusyLine() {
    {
        const std::lock_guard lock(mutex_);
        busy_ = BusyLine{false, {}};
    }
    changed_.notify_all();
}

std::string TerminalWriter::LastLine() const {
    const std::lock_guard lock(mutex_);
    return lastLine_;
}

void TerminalWriter::WaitUntilWritten() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return lines_.empty() && !busy_ && !writing_; });
}

// The writing thread: takes all that is queued at once, writes it with the lock released (a write
// may block for as long as the terminal is stopped), and reports back when done.
void TerminalWriter::Write() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !lines_.empty() || busy_; });
        if (lines_.empty() && !busy_) return;  // ending, and all is written
        std::deque<Line> lines = std::exchange(lines_, {});
        const std::optional<BusyLine> busy = std::exchange(busy_, std::nullopt);
        writing_ = true;
        lock.unlock();
        for (const Line& line : lines) {
            if (line.error)
                errors_ << line.text << '\n' << std::flush;
            else
                screen_.PrintLine(line.text);
        }
        if (busy && busy->shown) screen_.ShowBusyLine(busy->text);
        if (busy && !busy->shown) screen_.HideBusyLine();
        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}
