#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

#include "ui/console/StatusOutput.h"

class ConsoleOutput;

// The console's lines written from a thread of their own, so that a terminal that stops taking
// output (Ctrl-S, a stalled ssh session, a click into a Windows console) never holds up the
// thread that talks to the ECU. Callers only queue: lines and standard-error lines are never
// dropped and keep their order; of the busy line only the latest state is kept, so the queue
// holds at most the run's lines, however far behind the terminal is.
class TerminalWriter final : public StatusOutput {
public:
    // `screen` and `errors` are used from the writing thread only, from here on.
    TerminalWriter(ConsoleOutput& screen, std::ostream& errors);
    // Writes what is queued, then ends the thread.
    ~TerminalWriter() override;
    TerminalWriter(const TerminalWriter&) = delete;
    TerminalWriter& operator=(const TerminalWriter&) = delete;

    void PrintLine(std::string_view text) override;
    void ShowBusyLine(std::string_view text) override;
    void HideBusyLine() override;
    std::string LastLine() const override;
    // A line on standard error, in its place among the others.
    void PrintError(std::string_view text);
    // Waits until everything queued so far is written: as long as the terminal takes to read it.
    void WaitUntilWritten();

private:
    struct Line {
        bool error;
        std::string text;
    };
    struct BusyLine {
        bool shown;
        std::string text;
    };
    void Write();
    void Queue(Line line);

    ConsoleOutput& screen_;
    std::ostream& errors_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Line> lines_;
    std::optional<BusyLine> busy_;  // the busy line's state not yet written
    bool writing_ = false;
    bool ending_ = false;
    std::string lastLine_;
    std::thread thread_;  // last: starts once the rest is there
};
