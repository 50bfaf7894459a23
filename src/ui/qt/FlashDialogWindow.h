#pragma once

#include <QDialog>
#include <QString>

#include <map>
#include <vector>

#include "ui/qt/DialogUnits.h"
#include "ui/qt/UiCallQueue.h"

class CFlashDlg;
class QMenu;

// The main dialog's window, laid out from its template. Operator input goes to the dialog
// object; Escape ends the dialog through the same close steps as the close box.
class FlashDialogWindow final : public QDialog {
public:
    explicit FlashDialogWindow(CFlashDlg& dlg);

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
    DialogUnits units_;
    std::map<int, QWidget*> items_;
    struct MenuEntry {
        int commandId;
        QString text;
    };
    std::vector<MenuEntry> menuEntries_;
    bool closed_ = false;
};
