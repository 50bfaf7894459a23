#include "ui/console/ConsoleOutput.h"

#include "ecu/PrintableText.h"

namespace {

// The line of `text` up to its first line feed, without a carriage return before it.
std::string_view FirstLine(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::string LastLineShown(std::string_view text) {
    const size_t start = text.rfind('\n');
    return PrintableText(FirstLine(start == std::string_view::npos ? text : text.substr(start + 1)));
}

void ConsoleOutput::PrintLine(std::string_view text) {
    EraseBusyLine();
    for (;;) {
        lastLine_ = PrintableText(FirstLine(text));
        out_ << lastLine_ << '\n';
        const size_t end = text.find('\n');
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    DrawBusyLine();
    out_.flush();
}

void ConsoleOutput::ShowBusyLine(std::string_view text) {
    if (!terminal_) return;
    busyText_ = PrintableText(text);
    DrawBusyLine();
    out_.flush();
}

void ConsoleOutput::HideBusyLine() {
    busyText_.clear();
    EraseBusyLine();
    out_.flush();
}

void ConsoleOutput::DrawBusyLine() {
    if (busyText_.empty()) return;
    // A shorter text than the one drawn before is padded so no old character remains.
    const size_t padding = busyDrawnWidth_ > busyText_.size() ? busyDrawnWidth_ - busyText_.size() : 0;
    out_ << '\r' << busyText_ << std::string(padding, ' ');
    busyDrawnWidth_ = busyText_.size() + padding;
}

void ConsoleOutput::EraseBusyLine() {
    if (busyDrawnWidth_ == 0) return;
    out_ << '\r' << std::string(busyDrawnWidth_, ' ') << '\r';
    busyDrawnWidth_ = 0;
}
