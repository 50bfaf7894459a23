#include "ui/qt/FlashDialogWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/CFlashDlg.h"
#include "link/LineWatchPort.h"
#include "ui/qt/AppIcon.h"
#include "ui/qt/MainDialogTemplate.h"
#include "ui/qt/QtBusyIndicator.h"

FlashDialogWindow::FlashDialogWindow(CFlashDlg& dlg, const LineWatchPort& line) : dlg_(dlg), line_(line) {
    setFont(TemplateFont());
    units_ = DialogUnits::ForFont(font());
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(units_.ToPixels(MainDialogTemplate::kWidth, MainDialogTemplate::kHeight));
    CreateControls();
    // Where the choices and the ECU's fields go, which the hunt never shows.
    // Made after the designed controls: siblings stack in the order they are made.
    huntNote_ = new QLabel(this);  // NOLINT(cppcoreguidelines-prefer-member-initializer)
    huntNote_->setTextFormat(Qt::PlainText);
    huntNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    huntNote_->setWordWrap(true);
    huntNote_->setGeometry(units_.ToPixels(MainDialogTemplate::kHuntNote.x, MainDialogTemplate::kHuntNote.y,
                                           MainDialogTemplate::kHuntNote.width, MainDialogTemplate::kHuntNote.height));
    huntNote_->hide();
}

void FlashDialogWindow::CreateControls() {
    using MainDialogTemplate::Kind;
    for (const MainDialogTemplate::Control& c : MainDialogTemplate::kControls) {
        const QString text = QString::fromLatin1(c.text);
        QWidget* widget = nullptr;
        switch (c.kind) {
        case Kind::StatusText: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignCenter);
            label->setWordWrap(true);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
            widget = label;
            break;
        }
        case Kind::GroupBox: widget = new QGroupBox(text, this); break;
        case Kind::PushButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this] { dlg_.OnProceed(); });
            widget = button;
            break;
        }
        case Kind::BusyIndicator: widget = new QtBusyIndicator(dlg_.busyIndicator, calls_, this); break;
        case Kind::RadioButton: {
            auto* radio = new QRadioButton(text, this);
            connect(radio, &QRadioButton::clicked, this, [this, id = c.id] { dlg_.OnRadioButton(id); });
            widget = radio;
            break;
        }
        case Kind::ReadOnlyEdit: {
            auto* edit = new QLineEdit(text, this);
            edit->setReadOnly(true);
            edit->setAlignment(Qt::AlignCenter);
            widget = edit;
            break;
        }
        }
        widget->setGeometry(units_.ToPixels(c.x, c.y, c.width, c.height));
        if (c.id != 0) items_[c.id] = widget;
        // The frame is drawn behind the controls it surrounds.
        if (c.kind == Kind::GroupBox) widget->lower();
    }
}

QWidget* FlashDialogWindow::Item(int controlId) const {
    const auto found = items_.find(controlId);
    return found == items_.end() ? nullptr : found->second;
}

void FlashDialogWindow::AddWindowMenuEntry(int commandId, const QString& text) {
    menuEntries_.push_back({commandId, text});
}

QMenu* FlashDialogWindow::CreateWindowMenu() {
    auto* menu = new QMenu(this);
    for (const MenuEntry& entry : menuEntries_) menu->addAction(entry.text)->setData(entry.commandId);
    return menu;
}

void FlashDialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (menuEntries_.empty()) return;
    std::unique_ptr<QMenu> menu(CreateWindowMenu());
    // The command runs once the menu is gone, as a system command does.
    if (const QAction* chosen = menu->exec(event->globalPos())) dlg_.OnSysCommand(chosen->data().toInt());
}

// Escape (Cancel) ends the dialog through the close steps, like the close box: the link must
// not be left running under a window that is gone.
void FlashDialogWindow::reject() { close(); }

void FlashDialogWindow::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        if (!dlg_.ConfirmClose()) {
            event->ignore();
            return;
        }
        closed_ = true;
        dlg_.CloseRun();
    }
    event->accept();
    done(QDialog::Rejected);
}

void FlashDialogWindow::EndBySystem() {
    if (boxClosing_) return;  // the end follows once that box has gone
    // The box's loop may be serving the receive thread, which the close steps wait for: they run
    // once its loop has returned, not inside it.
    if (QWidget* open = QApplication::activeModalWidget(); open && open != this) {
        boxClosing_ = true;
        connect(
            open, &QObject::destroyed, this,
            [this] {
                boxClosing_ = false;
                EndBySystem();
            },
            Qt::QueuedConnection);
        open->close();
        return;
    }
    if (closed_) return;
    closed_ = true;
    dlg_.CloseRun();
    close();
}

void FlashDialogWindow::AfterTimer() {
    if (closed_) return;
    if (dlg_.EndRunOnLostLine(line_.Loss())) {
        closed_ = true;
        close();
        return;
    }
    dlg_.TellEcuLeftUnprogrammed();
    const bool huntFails = dlg_.hunt.RoundsWithoutAnswer() > 0;
    if (huntFails) huntNote_->setText(QString::fromLocal8Bit(dlg_.WhyNoAdapter(interruptedRunKnown_)));
    huntNote_->setVisible(huntFails);
}
