#include "ui/console/ConsoleDialogHost.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ui/console/BusyLineText.h"
#include "ui/console/LineInput.h"
#include "ui/console/StatusOutput.h"
#include "ui/console/UiEventLoop.h"

namespace {

struct EcuField {
    int labelId;
    int valueId;
    const char* label;  // shown when the core has not set the label box
};
constexpr EcuField kEcuFields[] = {{ControlId::DateLabel, ControlId::DateValue, Text::DateLabel},
                                   {ControlId::TimeLabel, ControlId::TimeValue, Text::TimeLabel},
                                   {ControlId::VersionLabel, ControlId::VersionValue, Text::VersionLabel}};

// The progress texts of the two flash areas, up to their percentage; every tag carries 192 data
// bytes.
std::string_view TextBeforeNumber(std::string_view format) { return format.substr(0, format.find('%')); }
const std::string_view kWritingPrefixes[] = {TextBeforeNumber(Text::WritingBase), TextBeforeNumber(Text::WritingUpper)};
const std::string_view kConnectedPrefix = TextBeforeNumber(Text::Connected);
constexpr uint64_t kTagDataBytes = 192;

int FieldIndexOf(int controlId, int EcuField::*member) {
    for (size_t i = 0; i < std::size(kEcuFields); ++i)
        if (kEcuFields[i].*member == controlId) return static_cast<int>(i);
    return -1;
}

bool IsYes(std::string answer) {
    std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::tolower(c); });
    return answer == "y" || answer == "yes";
}

}  // namespace

ConsoleDialogHost::ConsoleDialogHost(UiEventLoop& loop, StatusOutput& output, LineInput& input, ConsoleAnswers answers,
                                     PortNamer describePort)
    : loop_(loop),
      output_(output),
      input_(input),
      answers_(std::move(answers)),
      describePort_(std::move(describePort)),
      statusText_(Text::StatusTemplate) {}

void ConsoleDialogHost::Attach(CFlashDlg& dlg) {
    dlg_ = &dlg;
    loop_.SetTimerHandler([this](int timerId) { dlg_->OnTimer(timerId); });
}

void ConsoleDialogHost::SetItemText(int controlId, std::string_view text) {
    loop_.RunOnUiThread([&] {
        if (controlId == ControlId::StatusLine) {
            if (text == statusText_) return;  // only a new text is printed
            statusText_ = text;
            PrintStatus();
        } else if (const int field = FieldIndexOf(controlId, &EcuField::labelId); field >= 0) {
            labelTexts_[field] = text;
        } else if (const int value = FieldIndexOf(controlId, &EcuField::valueId); value >= 0) {
            fieldTexts_[value] = text;
        }
    });
}

void ConsoleDialogHost::PrintStatus() {
    if (statusText_.empty()) return;
    std::string line = statusText_;
    int area = -1;
    for (int i = 0; i < 2; ++i)
        if (std::string_view(statusText_).substr(0, kWritingPrefixes[i].size()) == kWritingPrefixes[i]) area = i;
    if (area >= 0 && dlg_) {
        if (area != writeArea_) writeRate_.Restart();
        const int32_t lastTag = area == 0 ? dlg_->lastBaseTag : dlg_->lastUpperTag;
        const uint64_t total = static_cast<uint64_t>(std::max(lastTag, 0) + 1) * kTagDataBytes;
        // The text comes when the tag at tagIndex has been written, before the index moves on.
        const uint64_t written =
            std::min<uint64_t>(static_cast<uint64_t>(std::max(dlg_->tagIndex.load(), 0) + 1) * kTagDataBytes, total);
        line += "  (" + writeRate_.Describe(std::chrono::steady_clock::now(), written, total) + ")";
    }
    writeArea_ = area;
    if (describePort_ && dlg_ && std::string_view(statusText_).substr(0, kConnectedPrefix.size()) == kConnectedPrefix)
        line += "  (" + describePort_(dlg_->CurrentPort()) + ")";
    output_.PrintLine(line);
}

void ConsoleDialogHost::ShowItem(int controlId, bool show) {
    loop_.RunOnUiThread([&] {
        if (controlId == ControlId::BusyIndicator) {
            busyVisible_ = show;
            if (show)
                DrawBusyIndicator();
            else
                output_.HideBusyLine();
            return;
        }
        const int field = FieldIndexOf(controlId, &EcuField::valueId);
        if (field < 0) return;
        const bool appears = show && !fieldVisible_[field];
        fieldVisible_[field] = show;
        if (!appears || fieldTexts_[field].empty()) return;
        const std::string& label = labelTexts_[field].empty() ? kEcuFields[field].label : labelTexts_[field];
        output_.PrintLine(label + ": " + fieldTexts_[field]);
    });
}

void ConsoleDialogHost::EnableItem(int controlId, bool enable) {
    loop_.RunOnUiThread([&] {
        if (controlId != ControlId::Proceed) return;
        const bool offered = enable && !proceedEnabled_;
        proceedEnabled_ = enable;
        // Pressed after the current event, as a click on a window is.
        if (offered) loop_.Post([this] { PressProceed(); });
    });
}

void ConsoleDialogHost::PressProceed() {
    if (!proceedEnabled_ || !dlg_) return;
    if (!answers_.yes) {
        const std::optional<std::string> answer = Ask("Proceed with programming? [y/N]");
        if (!answer || !IsYes(*answer)) {
            proceedDeclined_ = !closeRequested_;
            return;
        }
        if (!proceedEnabled_) return;
    }
    output_.PrintLine(Text::ProceedButton);
    dlg_->OnProceed();
}

void ConsoleDialogHost::AppendFieldText(int controlId, std::string_view text) {
    loop_.RunOnUiThread([&] {
        if (const int field = FieldIndexOf(controlId, &EcuField::valueId); field >= 0) fieldTexts_[field] += text;
    });
}

void ConsoleDialogHost::SetWindowTitle(std::string_view title) {
    loop_.RunOnUiThread([&] { output_.PrintLine(title); });
}

void ConsoleDialogHost::AddSystemMenuEntry(int, std::string_view) {}

MessageResult ConsoleDialogHost::ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon,
                                                MessageButtons buttons) {
    MessageResult result = MessageResult::Ok;
    loop_.RunOnUiThread([&] {
        const std::string title(caption.empty() ? std::string_view(Text::ApplicationName) : caption);
        if (IsQuestion(buttons)) {
            // A question is never answered Yes for the operator: --yes answers it No.
            result = MessageResult::No;
            if (answers_.yes) {
                output_.PrintLine(title + ": " + std::string(text) + " [No]");
                return;
            }
            output_.PrintLine(title + ": " + std::string(text));
            const bool yesByDefault = buttons == MessageButtons::YesNoDefaultYes;
            const std::optional<std::string> answer = Ask(yesByDefault ? "[Y/n]" : "[y/N]");
            if (answer && (IsYes(*answer) || (yesByDefault && answer->empty()))) result = MessageResult::Yes;
            return;
        }
        if (answers_.yes) {
            output_.PrintLine(title + ": " + std::string(text) + " [OK]");
            return;
        }
        output_.PrintLine(title + ": " + std::string(text));
        Ask("Press Enter for OK.");
    });
    return result;
}

void ConsoleDialogHost::SetTimer(int timerId, uint32_t periodMs) {
    loop_.RunOnUiThread([&] { loop_.SetTimer(timerId, periodMs); });
}

void ConsoleDialogHost::KillTimer(int timerId) {
    loop_.RunOnUiThread([&] { loop_.KillTimer(timerId); });
}

bool ConsoleDialogHost::ChooseFile(std::string& path, std::string_view title) {
    bool chosen = false;
    loop_.RunOnUiThread([&] {
        if (answers_.debugFile) {
            path = *answers_.debugFile;
            output_.PrintLine(std::string(title) + ": " + path);
            chosen = true;
            return;
        }
        const std::optional<std::string> answer = Ask(std::string(title) + " (a file name; an empty line cancels)");
        if (!answer || answer->empty()) return;
        path = *answer;
        chosen = true;
    });
    return chosen;
}

void ConsoleDialogHost::RepaintBusyIndicator() {
    loop_.RunOnUiThread([&] {
        if (busyVisible_) DrawBusyIndicator();
    });
}

void ConsoleDialogHost::DrawBusyIndicator() {
    if (!dlg_) return;
    output_.ShowBusyLine(BusyLineText(dlg_->busyIndicator.BlockCount(), dlg_->busyIndicator.Position()));
}

void ConsoleDialogHost::RunAboutBox(std::string_view text) {
    loop_.RunOnUiThread([&] { output_.PrintLine(text); });
}

void ConsoleDialogHost::WaitServingCalls(const std::function<bool()>& finished) { loop_.ServeCallsUntil(finished); }

void ConsoleDialogHost::WakeWaitingUiThread() { loop_.Wake(); }

// The next request goes out on the user-interface thread's next turn, not at the next tick.
void ConsoleDialogHost::RequestDispatch() {
    loop_.Post([this] {
        if (dlg_ != nullptr) dlg_->OnDispatch();
    });
}

void ConsoleDialogHost::RequestClose() {
    closeRequested_ = true;
    loop_.Wake();
}

std::optional<std::string> ConsoleDialogHost::Ask(std::string_view question) {
    input_.DiscardTypeAhead();
    output_.PrintLine(question);
    std::optional<std::string> answer;
    loop_.RunUntil([&] {
        answer = input_.TakeLine();
        return answer || input_.Ended() || closeRequested_;
    });
    return answer;
}
