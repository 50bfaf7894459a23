#pragma once

#include <QObject>
#include <signal.h>

#include <memory>

class CFlashDlg;
class FlashDialogWindow;
class QSocketNotifier;

// SIGTERM and SIGHUP end the desktop program through the window's close steps, never in the
// middle of them: SIGTERM always (with the recovery box when the ECU was left unprogrammed),
// SIGHUP only while the ECU is not being changed, as a lost session leaves nobody to be told and
// the update is let complete. The handler only writes the signal's number to a socket pair; the
// window's thread reads it from its event loop. While it lives it owns both signals; the
// dispositions before it come back when it goes.
class StopSignalNotifier final : public QObject {
public:
    StopSignalNotifier(FlashDialogWindow& window, const CFlashDlg& dlg);
    ~StopSignalNotifier() override;
    StopSignalNotifier(const StopSignalNotifier&) = delete;
    StopSignalNotifier& operator=(const StopSignalNotifier&) = delete;

private:
    void Read();

    FlashDialogWindow& window_;
    const CFlashDlg& dlg_;
    int pair_[2] = {-1, -1};  // [0] read by the window's thread, [1] written by the handler
    struct sigaction termBefore_ {};
    struct sigaction hupBefore_ {};
    std::unique_ptr<QSocketNotifier> notifier_;
};
