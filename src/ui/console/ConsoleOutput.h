#pragma once

#include <ostream>
#include <string>
#include <string_view>

// What the console program prints. Every line is flushed as it is printed, since scripts read
// the output live through a pipe. On a terminal the busy indicator is one line redrawn in place;
// elsewhere it is not drawn and no control character is ever written. Text that came from the
// line (the ECU's fields) cannot reach the terminal as control sequences: control characters are
// shown as '?'.
class ConsoleOutput {
public:
    ConsoleOutput(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

    // Each line of `text` on a line of its own; the busy line is taken down first and drawn again
    // after.
    void PrintLine(std::string_view text);
    // Draws (or redraws) the busy line; nothing when not on a terminal.
    void ShowBusyLine(std::string_view text);
    void HideBusyLine();
    // The last line printed (the busy line aside).
    const std::string& LastLine() const { return lastLine_; }

private:
    void EraseBusyLine();
    void DrawBusyLine();

    std::ostream& out_;
    const bool terminal_;
    std::string busyText_;
    size_t busyDrawnWidth_ = 0;
    std::string lastLine_;
};
