// The console's lines go out from a thread of their own: a terminal that stops reading holds up
// nobody who prints, no line is lost or reordered, and of the busy line only the latest state is
// drawn once the terminal reads again.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>

#include "ui/console/ConsoleOutput.h"
#include "ui/console/TerminalWriter.h"

namespace {

// A terminal that can be stopped, as Ctrl-S stops one: a write then blocks until it reads again.
class StoppableTerminal : public std::streambuf {
public:
    void Stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    void Resume() {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = false;
        }
        changed_.notify_all();
    }
    // Waits until a write is blocked on the stopped terminal.
    void WaitForBlockedWrite() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return blocked_; });
    }
    std::string Shown() {
        const std::lock_guard lock(mutex_);
        return shown_;
    }

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::unique_lock lock(mutex_);
        blocked_ = stopped_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !stopped_; });
        blocked_ = false;
        shown_.append(text, static_cast<size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        xsputn(&ch, 1);
        return c;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
    bool blocked_ = false;
    std::string shown_;
};

TEST(TerminalWriter, AStoppedTerminalHoldsUpNoCallerAndGetsEveryLineInOrderWithOnlyTheLatestBusyLine) {
    StoppableTerminal terminal;
    std::ostream stream(&terminal);
    std::ostringstream errors;
    ConsoleOutput screen(stream, true);
    TerminalWriter writer(screen, errors);

    terminal.Stop();
    writer.PrintLine("Writing (Base) - 5%");
    terminal.WaitForBlockedWrite();
    // The writing thread is stuck in a write; none of these may wait for it.
    for (int i = 0; i < 10000; ++i) writer.ShowBusyLine(i % 2 ? "[-#]" : "[#-]");
    writer.PrintLine("Writing (Base) - 6%");
    writer.PrintError("flash-updater-cli: a word on standard error");
    writer.ShowBusyLine("[--#]");
    EXPECT_EQ(writer.LastLine(), "Writing (Base) - 6%");
    EXPECT_EQ(terminal.Shown(), "");

    terminal.Resume();
    writer.WaitUntilWritten();
    // Of the 10001 redraws only the last is drawn, after the lines that were waiting.
    EXPECT_EQ(terminal.Shown(),
              "Writing (Base) - 5%\n"
              "Writing (Base) - 6%\n"
              "\r[--#]");
    EXPECT_EQ(errors.str(), "flash-updater-cli: a word on standard error\n");
}

TEST(TerminalWriter, EverythingQueuedIsWrittenBeforeItEnds) {
    std::ostringstream out, errors;
    ConsoleOutput screen(out, false);
    {
        TerminalWriter writer(screen, errors);
        for (int i = 0; i < 100; ++i) writer.PrintLine("line " + std::to_string(i));
    }
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(out.str(), expected);
}

}  // namespace
