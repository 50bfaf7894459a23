#include "WindowDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/ControlIds.h"

WindowDriver::WindowDriver(SerialPort& port, std::vector<int32_t> listedPorts, Clock* clock) {
    // The hunt's state is the program's, not the dialog's: every window here is a new program.
    ConnectState() = 0;
    CandidateIndex() = 0;
    ports_.ports = std::move(listedPorts);
    dialog_ = std::make_unique<DesktopDialog>(clock ? *clock : clock_, port, ports_, user_);
    dialog_->Dialog().journalSettings.journal = &journal_;
    dialog_->Start();
}

WindowDriver::~WindowDriver() {
    dialog_.reset();
    ConnectState() = 0;
    CandidateIndex() = 0;
}

QString WindowDriver::Text(int id) {
    QWidget* item = Item(id);
    if (auto* label = qobject_cast<QLabel*>(item)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(item)) return edit->text();
    if (auto* button = qobject_cast<QAbstractButton*>(item)) return button->text();
    return {};
}

bool WindowDriver::AwaitStatus(const QString& text, int limitMs, bool prefix) {
    return QTest::qWaitFor(
        [&] {
            const QString now = Text(ControlId::StatusLine);
            return prefix ? now.startsWith(text) : now == text;
        },
        limitMs);
}

bool WindowDriver::Proceed() {
    if (!QTest::qWaitFor([&] { return Item(ControlId::Proceed)->isEnabled() && Dialog().imageIndex != 0; }, 30'000))
        return false;
    QTest::mouseClick(Item(ControlId::Proceed), Qt::LeftButton);
    return true;
}

void WindowDriver::Screenshot(const std::string& name) { SaveScreenshot(Window(), name); }

void SaveScreenshot(QWidget& widget, const std::string& name) {
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    widget.grab().save(QStringLiteral(SCREENSHOT_DIR "/qt-%1.png").arg(QString::fromStdString(name)));
}

struct ModalAnswerer::Impl {
    QTimer timer;
};

ModalAnswerer::ModalAnswerer(std::function<bool(QWidget*)> answer) : impl_(std::make_unique<Impl>()) {
    QObject::connect(&impl_->timer, &QTimer::timeout, [this, answer = std::move(answer)] {
        QWidget* open = QApplication::activePopupWidget();
        if (!open) open = QApplication::activeModalWidget();
        if (open && answer(open)) ++answered_;
    });
    impl_->timer.start(20);
}

ModalAnswerer::~ModalAnswerer() = default;
