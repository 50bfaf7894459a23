#include "ui/qt/QtDialogHost.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ui/qt/CAboutDlg.h"
#include "ui/qt/FlashDialogWindow.h"

namespace {

// The core's texts are 8-bit, as the operator sees them.
QString FromCore(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtDialogHost::QtDialogHost() = default;
QtDialogHost::~QtDialogHost() = default;

void QtDialogHost::Attach(FlashDialogWindow& window, CFlashDlg& dlg) {
    window_ = &window;
    dlg_ = &dlg;
}

void QtDialogHost::OnUiThread(const std::function<void()>& call) { window_->Calls().Call(call); }

void QtDialogHost::SetItemText(int controlId, std::string_view text) {
    OnUiThread([&] {
        QWidget* item = window_->Item(controlId);
        if (auto* label = qobject_cast<QLabel*>(item))
            label->setText(FromCore(text));
        else if (auto* edit = qobject_cast<QLineEdit*>(item))
            edit->setText(FromCore(text));
        else if (auto* button = qobject_cast<QAbstractButton*>(item))
            button->setText(FromCore(text));
    });
}

void QtDialogHost::ShowItem(int controlId, bool show) {
    OnUiThread([&] {
        if (QWidget* item = window_->Item(controlId)) item->setVisible(show);
    });
}

void QtDialogHost::EnableItem(int controlId, bool enable) {
    OnUiThread([&] {
        if (QWidget* item = window_->Item(controlId)) item->setEnabled(enable);
    });
}

void QtDialogHost::AppendFieldText(int controlId, std::string_view text) {
    OnUiThread([&] {
        if (auto* edit = qobject_cast<QLineEdit*>(window_->Item(controlId))) edit->insert(FromCore(text));
    });
}

void QtDialogHost::SetWindowTitle(std::string_view title) {
    OnUiThread([&] { window_->setWindowTitle(FromCore(title)); });
}

void QtDialogHost::AddSystemMenuEntry(int commandId, std::string_view text) {
    OnUiThread([&] { window_->AddWindowMenuEntry(commandId, FromCore(text)); });
}

MessageResult QtDialogHost::ShowMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                                           MessageButtons buttons) {
    MessageResult result = MessageResult::Ok;
    OnUiThread([&] {
        const QString title = caption.empty() ? QString::fromLatin1(Text::ApplicationName) : FromCore(caption);
        const bool question = IsQuestion(buttons);
        QMessageBox box(ToQtIcon(icon), title, FromCore(text),
                        question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, window_);
        // Enter alone answers Yes only where Yes is the usual answer.
        if (question)
            box.setDefaultButton(buttons == MessageButtons::YesNoDefaultYes ? QMessageBox::Yes : QMessageBox::No);
        const int answer = box.exec();
        // A question closed without an answer (Escape) is answered No.
        if (question) result = answer == QMessageBox::Yes ? MessageResult::Yes : MessageResult::No;
    });
    return result;
}

void QtDialogHost::SetTimer(int timerId, uint32_t periodMs) {
    OnUiThread([&] {
        std::unique_ptr<QTimer>& timer = timers_[timerId];
        if (!timer) {
            timer = std::make_unique<QTimer>();
            QObject::connect(timer.get(), &QTimer::timeout, window_, [this, timerId] {
                if (servingDepth_ != 0) return;
                dlg_->OnTimer(timerId);
                window_->AfterTimer();
            });
        }
        timer->start(static_cast<int>(periodMs));
    });
}

void QtDialogHost::KillTimer(int timerId) {
    OnUiThread([&] {
        if (const auto found = timers_.find(timerId); found != timers_.end()) found->second->stop();
    });
}

bool QtDialogHost::ChooseFile(std::string& path, std::string_view title) {
    bool chosen = false;
    OnUiThread([&] {
        // The operator may pick an existing file or name a new one; an existing one is confirmed.
        const QString name =
            QFileDialog::getSaveFileName(window_, FromCore(title), QString::fromLocal8Bit(path.c_str()));
        if (name.isEmpty()) return;
        path = name.toLocal8Bit().toStdString();
        chosen = true;
    });
    return chosen;
}

void QtDialogHost::RepaintBusyIndicator() {
    OnUiThread([&] {
        if (QWidget* item = window_->Item(ControlId::BusyIndicator)) item->update();
    });
}

void QtDialogHost::RunAboutBox(std::string_view text) {
    OnUiThread([&] {
        CAboutDlg about(FromCore(text), window_);
        about.exec();
    });
}

// A message box served here runs an event loop of its own; the dialog's timers must not tick in
// it, or a tick could start another wait for the thread that is waiting for this box.
void QtDialogHost::WaitServingCalls(const std::function<bool()>& finished) {
    ++servingDepth_;
    window_->Calls().ServeUntil(finished);
    --servingDepth_;
}

void QtDialogHost::WakeWaitingUiThread() { window_->Calls().Wake(); }

// The next request goes out on the window's next turn, not at the next tick; like a tick, not
// while the window waits for the receive thread.
void QtDialogHost::RequestDispatch() {
    window_->Calls().Post([this] {
        if (servingDepth_ == 0 && dlg_ != nullptr) dlg_->OnDispatch();
    });
}

std::vector<int> QtDialogHost::ActiveTimers() const {
    std::vector<int> ids;
    for (const auto& [id, timer] : timers_)
        if (timer->isActive()) ids.push_back(id);
    return ids;
}
