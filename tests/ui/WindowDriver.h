#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "app/Texts.h"
#include "journal/Journal.h"
#include "link/ConnectionSequence.h"
#include "platform/FolderStorage.h"
#include "platform/PortEnumerator.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixSystemInfo.h"
#include "ui/qt/DesktopDialog.h"
#include "ui/qt/FlashDialogWindow.h"
#include "ui/qt/QtDialogHost.h"

class ListedPorts : public PortEnumerator {
public:
    std::vector<int32_t> ports;
    std::vector<int32_t> UsablePorts() override { return ports; }
};

// The desktop dialog on a given port, started and shown, its journal in a folder of its own; its
// status line and controls as the operator sees them.
class WindowDriver {
public:
    // The dialog's waits go through `clock` when one is given.
    WindowDriver(SerialPort& port, std::vector<int32_t> listedPorts, Clock* clock = nullptr);
    ~WindowDriver();

    CFlashDlg& Dialog() { return dialog_->Dialog(); }
    FlashDialogWindow& Window() { return dialog_->Window(); }
    QtDialogHost& Host() { return dialog_->Host(); }
    QWidget* Item(int id) { return Window().Item(id); }
    // The files in the journal's folder.
    std::vector<std::string> JournalFiles() { return storage_.List(); }

    QString Text(int id);
    bool Visible(int id) { return Item(id)->isVisible(); }
    // Processes events until the status line reads `text` (or starts with it); false after `limitMs`.
    bool AwaitStatus(const QString& text, int limitMs, bool prefix = false);
    // Waits until the ECU has been read and an image chosen, then presses "Proceed ->"; false when
    // it never became ready.
    bool Proceed();
    // Writes the window's picture to <build>/screenshots/qt-<name>.png.
    void Screenshot(const std::string& name);

private:
    QTemporaryDir stateFolder_;
    FolderStorage storage_{stateFolder_.path().toStdString()};
    Journal journal_{storage_};
    ListedPorts ports_;
    PosixClock clock_;
    PosixSystemInfo user_;
    std::unique_ptr<DesktopDialog> dialog_;
};

// Writes the widget's picture to <build>/screenshots/qt-<name>.png.
void SaveScreenshot(QWidget& widget, const std::string& name);

// Answers the modal windows and popups that open while it lives: `answer` gets the one open and
// closes it, or returns false to leave it. Looked at on a timer of the event loop.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<bool(QWidget*)> answer);
    ~ModalAnswerer();
    int Answered() const { return answered_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    int answered_ = 0;
};
