#pragma once

#include <string>
#include <string_view>

// Where the console dialog's lines and busy indicator go: straight to a stream, or through the
// terminal's own writing thread.
class StatusOutput {
public:
    virtual ~StatusOutput() = default;

    // Each line of `text` on a line of its own; the busy line is taken down first and drawn again
    // after.
    virtual void PrintLine(std::string_view text) = 0;
    // Draws (or redraws) the busy line; nothing when not on a terminal.
    virtual void ShowBusyLine(std::string_view text) = 0;
    virtual void HideBusyLine() = 0;
    // The last line printed (the busy line aside), as it is shown.
    virtual std::string LastLine() const = 0;
};
