#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "ui/console/StatusOutput.h"

// What the console program prints. Every line is flushed as it is printed, since scripts read
// the output live through a pipe. On a terminal the busy indicator is one line redrawn in place;
// elsewhere it is not drawn and no control character is ever written. Text that came from the
// line (the ECU's fields) cannot reach the terminal as control sequences: control characters are
// shown as '?'. Writes at once, on the calling thread.
class ConsoleOutput final : public StatusOutput {
public:
    ConsoleOutput(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}

    void PrintLine(std::string_view text) override;
    void ShowBusyLine(std::string_view text) override;
    void HideBusyLine() override;
    std::string LastLine() const override { return lastLine_; }

private:
    void EraseBusyLine();
    void DrawBusyLine();

    std::ostream& out_;
    const bool terminal_;
    std::string busyText_;
    size_t busyDrawnWidth_ = 0;
    std::string lastLine_;
};

// The last line of `text` as PrintLine shows it.
std::string LastLineShown(std::string_view text);
