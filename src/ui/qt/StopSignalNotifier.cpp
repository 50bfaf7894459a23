#include "ui/qt/StopSignalNotifier.h"

#include <QSocketNotifier>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "app/CFlashDlg.h"
#include "ui/qt/FlashDialogWindow.h"

namespace {

std::atomic<int> signalWriteEnd{-1};

extern "C" void WriteSignalNumber(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full socket already holds more than enough to wake the window: a lost byte changes nothing.
    if (const int fd = signalWriteEnd.load(); fd >= 0) (void)!::write(fd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignalNotifier::StopSignalNotifier(FlashDialogWindow& window, const CFlashDlg& dlg) : window_(window), dlg_(dlg) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair_) != 0) return;
    signalWriteEnd = pair_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pair_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignalNotifier::Read);
    struct sigaction action {};
    action.sa_handler = WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the port's and Qt's own calls go on as if nothing came
    sigaction(SIGTERM, &action, &termBefore_);
    sigaction(SIGHUP, &action, &hupBefore_);
}

StopSignalNotifier::~StopSignalNotifier() {
    if (!notifier_) return;
    sigaction(SIGTERM, &termBefore_, nullptr);
    sigaction(SIGHUP, &hupBefore_, nullptr);
    signalWriteEnd = -1;
    notifier_.reset();
    ::close(pair_[0]);
    ::close(pair_[1]);
}

void StopSignalNotifier::Read() {
    unsigned char received[16];
    ssize_t count = 0;
    bool end = false;
    while ((count = ::read(pair_[0], received, sizeof received)) > 0) {
        for (ssize_t i = 0; i < count; ++i) end = end || received[i] == SIGTERM || !dlg_.EcuBeingChanged();
    }
    if (end) window_.EndBySystem();
}
