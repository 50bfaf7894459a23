#include "ScriptedDialogHost.h"

#include "app/ControlIds.h"

void ScriptedDialogHost::Record(std::string entry) { log_.push_back(std::move(entry)); }

void ScriptedDialogHost::SetItemText(int controlId, std::string_view text) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        texts_[controlId] = std::string(text);
        if (controlId == ControlId::StatusLine) statusHistory_.emplace_back(text);
        Record("text " + std::to_string(controlId) + " " + std::string(text));
    });
}

void ScriptedDialogHost::ShowItem(int controlId, bool show) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        visible_[controlId] = show;
        Record((show ? "show " : "hide ") + std::to_string(controlId));
    });
}

void ScriptedDialogHost::EnableItem(int controlId, bool enable) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        enabled_[controlId] = enable;
        Record((enable ? "enable " : "disable ") + std::to_string(controlId));
    });
}

void ScriptedDialogHost::AppendFieldText(int controlId, std::string_view text) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        texts_[controlId] += std::string(text);
        Record("append " + std::to_string(controlId) + " " + std::string(text));
    });
}

void ScriptedDialogHost::SetWindowTitle(std::string_view title) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        title_ = std::string(title);
    });
}

void ScriptedDialogHost::AddSystemMenuEntry(int commandId, std::string_view text) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        Record("menu " + std::to_string(commandId) + " " + std::string(text));
    });
}

MessageResult ScriptedDialogHost::ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                                                 MessageButtons buttons) {
    MessageResult answer = MessageResult::Ok;
    calls_.Run([&] {
        std::function<void(const MessageBoxCall&)> handler;
        std::function<MessageResult(const MessageBoxCall&)> answerer;
        MessageBoxCall call{std::string(text), std::string(caption), icon, buttons};
        {
            std::lock_guard lock(mutex_);
            boxes_.push_back(call);
            Record("message " + call.text);
            handler = boxHandler_;
            if (IsQuestion(buttons)) answer = yesNoAnswer_;
            answerer = answerer_;
        }
        if (answerer && IsQuestion(buttons)) answer = answerer(call);
        if (handler) handler(call);
    });
    return answer;
}

void ScriptedDialogHost::ScriptYesNoAnswer(MessageResult answer) {
    std::lock_guard lock(mutex_);
    yesNoAnswer_ = answer;
}

void ScriptedDialogHost::AnswerQuestionsBy(std::function<MessageResult(const MessageBoxCall&)> answerer) {
    std::lock_guard lock(mutex_);
    answerer_ = std::move(answerer);
}

void ScriptedDialogHost::SetTimer(int timerId, uint32_t periodMs) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        timers_[timerId] = TimerArm{periodMs, now_ ? now_() : 0};
        Record("set-timer " + std::to_string(timerId) + " " + std::to_string(periodMs));
    });
}

void ScriptedDialogHost::KillTimer(int timerId) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        timers_.erase(timerId);
        Record("kill-timer " + std::to_string(timerId));
    });
}

bool ScriptedDialogHost::ChooseFile(std::string& path, std::string_view title) {
    bool chosen = false;
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        Record("choose-file " + path + " | " + std::string(title));
        if (!fileChoice_) return;
        path = *fileChoice_;
        chosen = true;
    });
    return chosen;
}

void ScriptedDialogHost::RepaintBusyIndicator() {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        ++busyRepaints_;
    });
}

void ScriptedDialogHost::RunAboutBox(std::string_view text) {
    calls_.Run([&] {
        std::lock_guard lock(mutex_);
        aboutTexts_.emplace_back(text);
    });
}

void ScriptedDialogHost::WaitServingCalls(const std::function<bool()>& finished) { calls_.ServeUntil(finished); }

void ScriptedDialogHost::WakeWaitingUiThread() { calls_.Wake(); }

void ScriptedDialogHost::BecomeUiThread() { calls_.Claim(); }

bool ScriptedDialogHost::AwaitWaitingCall(std::chrono::milliseconds deadline) {
    return calls_.AwaitWaitingCall(deadline);
}

std::string ScriptedDialogHost::ItemText(int controlId) const {
    std::lock_guard lock(mutex_);
    auto it = texts_.find(controlId);
    return it == texts_.end() ? std::string() : it->second;
}

std::string ScriptedDialogHost::StatusText() const { return ItemText(ControlId::StatusLine); }

std::vector<std::string> ScriptedDialogHost::StatusHistory() const {
    std::lock_guard lock(mutex_);
    return statusHistory_;
}

bool ScriptedDialogHost::IsVisible(int controlId, bool fallback) const {
    std::lock_guard lock(mutex_);
    auto it = visible_.find(controlId);
    return it == visible_.end() ? fallback : it->second;
}

bool ScriptedDialogHost::IsEnabled(int controlId, bool fallback) const {
    std::lock_guard lock(mutex_);
    auto it = enabled_.find(controlId);
    return it == enabled_.end() ? fallback : it->second;
}

std::map<int, uint32_t> ScriptedDialogHost::ActiveTimers() const {
    std::lock_guard lock(mutex_);
    std::map<int, uint32_t> periods;
    for (const auto& [id, arm] : timers_) periods[id] = arm.periodMs;
    return periods;
}

std::map<int, ScriptedDialogHost::TimerArm> ScriptedDialogHost::ActiveTimerArms() const {
    std::lock_guard lock(mutex_);
    return timers_;
}

void ScriptedDialogHost::UseTimeSource(std::function<uint64_t()> now) {
    std::lock_guard lock(mutex_);
    now_ = std::move(now);
}

std::vector<ScriptedDialogHost::MessageBoxCall> ScriptedDialogHost::MessageBoxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<std::string> ScriptedDialogHost::Log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

int ScriptedDialogHost::BusyRepaints() const {
    std::lock_guard lock(mutex_);
    return busyRepaints_;
}

std::string ScriptedDialogHost::Title() const {
    std::lock_guard lock(mutex_);
    return title_;
}

std::vector<std::string> ScriptedDialogHost::AboutBoxTexts() const {
    std::lock_guard lock(mutex_);
    return aboutTexts_;
}

void ScriptedDialogHost::ScriptFileChoice(std::optional<std::string> path) {
    std::lock_guard lock(mutex_);
    fileChoice_ = std::move(path);
}

void ScriptedDialogHost::OnMessageBox(std::function<void(const MessageBoxCall&)> handler) {
    std::lock_guard lock(mutex_);
    boxHandler_ = std::move(handler);
}

void ScriptedDialogHost::RequestDispatch() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        ++dispatchRequests_;
        handler = dispatchHandler_;
    }
    if (handler) handler();
}

void ScriptedDialogHost::OnDispatchRequest(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    dispatchHandler_ = std::move(handler);
}

int ScriptedDialogHost::DispatchRequests() const {
    std::lock_guard lock(mutex_);
    return dispatchRequests_;
}
