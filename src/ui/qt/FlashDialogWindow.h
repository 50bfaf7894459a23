#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <vector>

#include "ui/qt/DialogUnits.h"
#include "ui/qt/UiCallQueue.h"

class CFlashDlg;
class LineWatchPort;
class QLabel;
class QMenu;

// The main dialog's window, laid out from its template. Operator input goes to the dialog
// object; Escape and Alt+F4 end the dialog through the same close steps as the close box, and
// while the ECU is being changed all three ask first. A lost line ends the run with a box, and
// while the hunt finds no adapter a note below the status line says why on each port.
class FlashDialogWindow final : public QDialog {
public:
    FlashDialogWindow(CFlashDlg& dlg, const LineWatchPort& line);

    // After each of the dialog's timer ticks: the line and the hunt looked at.
    void AfterTimer();
    // The system asks the program to end: the close steps without the question, as nobody may be
    // there to answer it, and the recovery box when the ECU was left unprogrammed. A box open on
    // top of the window is closed first (its answer No, or OK) and the end follows once it has
    // gone, so a second request also takes down the recovery box of the first.
    void EndBySystem();
    // A journal tells of an update cut off while programming (the note then says what helps).
    void SetInterruptedRunKnown(bool known) { interruptedRunKnown_ = known; }
    // The note on the hunt; hidden while there is nothing to say.
    const QLabel& HuntNote() const { return *huntNote_; }

    UiCallQueue& Calls() { return calls_; }
    // The control with the template id; null for an id the template does not have.
    QWidget* Item(int controlId) const;
    const DialogUnits& Units() const { return units_; }

    // Where the desktop gives no window menu to extend, its entries are the dialog's context menu.
    void AddWindowMenuEntry(int commandId, const QString& text);
    // The window menu as the context menu shows it, each entry's data its command id (the
    // caller owns it).
    QMenu* CreateWindowMenu();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();

    UiCallQueue calls_;
    CFlashDlg& dlg_;
    const LineWatchPort& line_;
    QLabel* huntNote_ = nullptr;
    bool interruptedRunKnown_ = false;
    DialogUnits units_;
    std::map<int, QWidget*> items_;
    struct MenuEntry {
        int commandId;
        QString text;
    };
    std::vector<MenuEntry> menuEntries_;
    bool closed_ = false;
    bool boxClosing_ = false;  // EndBySystem closed a box and waits for it to go
};
