#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "FakeSerialPort.h"
#include "FlashUpdaterVersion.h"
#include "WindowDriver.h"
#include "app/ControlIds.h"
#include "ui/qt/CAboutDlg.h"

namespace {

const QString kTitle = QStringLiteral("Ombrix Flash Update [K410/K411/K412/M530/P640] V1.0");
const QString kConnecting1 = QStringLiteral("Connecting to Com Port  [  1  ]");

TEST(DesktopDialog, StartsSearchingWithTheTemplateTextsAndOnlyItsSearchControlsShown) {
    FakeSerialPort port;
    WindowDriver ui(port, {});
    FlashDialogWindow& window = ui.Window();

    EXPECT_EQ(window.windowTitle(), kTitle);
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.size(), window.Units().ToPixels(239, 188));
    EXPECT_GT(window.Units().baseX, 3);
    EXPECT_GT(window.Units().baseY, 8);

    EXPECT_EQ(ui.Text(ControlId::StatusLine), QStringLiteral("...")) << "no port: the template text stays";
    EXPECT_TRUE(ui.Visible(ControlId::StatusLine));
    EXPECT_TRUE(ui.Visible(ControlId::BusyIndicator));
    EXPECT_TRUE(ui.Visible(ControlId::Proceed));
    EXPECT_TRUE(ui.Item(ControlId::Proceed)->isEnabled());
    EXPECT_EQ(ui.Text(ControlId::Proceed), QStringLiteral("Proceed ->"));

    const std::pair<int, const char*> radios[] = {{ControlId::RadioGen1_2M, "K410 (Gen1 2M)"},
                                                  {ControlId::RadioGen1_3M, "K411 (Gen1 3M)"},
                                                  {ControlId::RadioGen2, "K412 (Gen2)"}};
    for (const auto& [id, label] : radios) {
        EXPECT_FALSE(ui.Visible(id)) << id;
        EXPECT_EQ(ui.Text(id), QString::fromLatin1(label));
    }
    for (int id : kEcuFieldIds) {
        EXPECT_FALSE(ui.Visible(id)) << id;
        auto* edit = qobject_cast<QLineEdit*>(ui.Item(id));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_TRUE(edit->text().isEmpty());
    }
    ui.Screenshot("start");
}

TEST(DesktopDialog, TheHuntShowsEachPortTriedAndDisablesProceed) {
    FakeSerialPort port;
    WindowDriver ui(port, {1});
    ASSERT_TRUE(ui.AwaitStatus(kConnecting1, 5000));
    EXPECT_FALSE(ui.Item(ControlId::Proceed)->isEnabled());
    EXPECT_TRUE(ui.Visible(ControlId::BusyIndicator));
    ui.Screenshot("searching");
}

// Below the designed status texts, which stay as they are.
TEST(DesktopDialog, AfterARoundWithoutAnAdapterANoteSaysWhyOnEachPort) {
    FakeSerialPort port;
    port.SetOpenablePorts({2});
    port.SetOpenError(1, PortOpenError::InUse);
    WindowDriver ui(port, {1, 2});
    EXPECT_FALSE(ui.Window().HuntNote().isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Window().HuntNote().isVisible(); }, 5000));
    EXPECT_EQ(ui.Window().HuntNote().text(), QStringLiteral("No adapter answered:\n"
                                                            "  port 1: in use by another program\n"
                                                            "  port 2: opened, but no adapter answered: check the "
                                                            "adapter's cable and power"));
    EXPECT_TRUE(ui.Text(ControlId::StatusLine).startsWith(QStringLiteral("Connecting to Com Port  [  ")));
    ui.Screenshot("no-adapter");
}

TEST(DesktopDialog, EscapeAndTheCloseBoxBothStopTheLinkAndEndTheDialog) {
    const std::pair<const char*, std::function<void(QWidget&)>> closers[] = {
        {"Escape", [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"close box", [](QWidget& w) { w.close(); }},
    };
    for (const auto& [name, closeIt] : closers) {
        FakeSerialPort port;
        WindowDriver ui(port, {1});
        ASSERT_TRUE(ui.AwaitStatus(kConnecting1, 5000)) << name;
        ASSERT_TRUE(port.IsOpen()) << name;
        ASSERT_TRUE(ui.Dialog().commThread.Exists()) << name;

        closeIt(ui.Window());
        EXPECT_FALSE(ui.Window().isVisible()) << name;
        EXPECT_EQ(ui.Window().result(), QDialog::Rejected) << name;
        EXPECT_TRUE(ui.Host().ActiveTimers().empty()) << name;
        EXPECT_FALSE(port.IsOpen()) << name;
        EXPECT_FALSE(ui.Dialog().commThread.Exists()) << name;
    }
}

TEST(DesktopDialog, TheAboutBoxOpensFromTheWindowMenuEntryWithTheTitleAndTheVersionAsItsText) {
    FakeSerialPort port;
    WindowDriver ui(port, {});
    std::unique_ptr<QMenu> menu(ui.Window().CreateWindowMenu());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("&About Flash..."));

    QString aboutCaption, aboutText;
    ModalAnswerer answerer([&](QWidget* open) {
        if (auto* popup = qobject_cast<QMenu*>(open)) {
            QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
            return true;
        }
        if (auto* about = dynamic_cast<CAboutDlg*>(open)) {
            aboutCaption = about->windowTitle();
            aboutText = about->findChild<QLabel*>()->text();
            SaveScreenshot(*about, "about");
            about->findChild<QPushButton*>()->click();
            return true;
        }
        return false;
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 300), ui.Window().mapToGlobal(QPoint(10, 300)));
    QApplication::sendEvent(&ui.Window(), &event);

    EXPECT_EQ(answerer.Answered(), 2);
    EXPECT_EQ(aboutCaption, QStringLiteral("About..."));
    EXPECT_EQ(aboutText, kTitle + QStringLiteral("\nVersion " FLASH_UPDATER_VERSION));
    EXPECT_TRUE(ui.Window().isVisible()) << "the About box leaves the dialog running";
}

// A port whose reader is set up only once the link is told to stop, and then fails: the receive
// thread's error box comes up exactly while the window is closing.
class ReaderFailingOnStopPort : public FakeSerialPort {
public:
    ReaderSetup StartReading() override {
        std::unique_lock lock(mutex_);
        reading_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return stopping_; });
        stopping_ = false;
        return ReaderSetup::NoWaitObject;
    }
    void Interrupt() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        FakeSerialPort::Interrupt();
    }
    bool Reading() {
        std::lock_guard lock(mutex_);
        return reading_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reading_ = false;
    bool stopping_ = false;
};

TEST(DesktopDialog, AMessageBoxFromTheReceiveThreadWhileClosingIsShownAndTheCloseCompletes) {
    ReaderFailingOnStopPort port;
    WindowDriver ui(port, {1});
    ASSERT_TRUE(QTest::qWaitFor([&] { return port.Reading(); }, 5000));

    QString boxText, boxCaption;
    ModalAnswerer answerer([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        boxText = box->text();
        boxCaption = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    QTest::keyClick(&ui.Window(), Qt::Key_Escape);

    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(boxText, QStringLiteral("Comm Thread Error"));
    EXPECT_EQ(boxCaption, QStringLiteral("Error"));
    EXPECT_FALSE(ui.Window().isVisible());
    EXPECT_FALSE(ui.Dialog().commThread.Exists());
}

TEST(DesktopDialog, TheDialogsTimersDoNotTickInAMessageBoxServedWhileWaitingForTheThread) {
    FakeSerialPort port;
    WindowDriver ui(port, {1});  // the first connection tick would open port 1
    const auto start = std::chrono::steady_clock::now();
    ModalAnswerer answerer([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box || std::chrono::steady_clock::now() - start < std::chrono::milliseconds(700)) return false;
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    std::atomic<bool> ended{false};
    std::thread other([&] {
        ui.Host().ShowMessageBox("Comm Thread Error", "Error", MessageIcon::Error, MessageButtons::Ok);
        ended = true;
        ui.Host().WakeWaitingUiThread();
    });
    ui.Host().WaitServingCalls([&] { return ended.load(); });
    other.join();
    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_TRUE(port.OpenAttempts().empty()) << "no connection tick ran inside the box";
}

TEST(DesktopDialog, AQuestionFromTheReceiveThreadReturnsTheOperatorsAnswer) {
    FakeSerialPort port;
    WindowDriver ui(port, {});
    const std::pair<std::function<void(QMessageBox*)>, MessageResult> cases[] = {
        {[](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, MessageResult::Yes},
        {[](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, MessageResult::No},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, MessageResult::No},
    };
    for (const auto& [answer, expected] : cases) {
        QString caption;
        ModalAnswerer answerer([&](QWidget* open) {
            auto* box = qobject_cast<QMessageBox*>(open);
            if (!box) return false;
            caption = box->windowTitle();
            answer(box);
            return true;
        });
        std::atomic<bool> done{false};
        MessageResult result = MessageResult::Ok;
        std::thread other([&] {
            result = ui.Host().ShowMessageBox("Program without a copy?", "", MessageIcon::Exclamation,
                                              MessageButtons::YesNo);
            done = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
        other.join();
        EXPECT_EQ(result, expected);
        EXPECT_EQ(caption, QStringLiteral("Flash Updater")) << "no caption given: the application's name";
    }
}

TEST(DesktopDialog, CallsFromAnotherThreadReachTheWindowBeforeTheyReturn) {
    FakeSerialPort port;
    WindowDriver ui(port, {});
    std::atomic<bool> done{false};
    QString seenByCaller;
    std::thread other([&] {
        ui.Host().SetItemText(ControlId::DateLabel, "Date");
        ui.Host().AppendFieldText(ControlId::DateValue, "Mar 14 ");
        ui.Host().AppendFieldText(ControlId::DateValue, "2010");
        ui.Host().ShowItem(ControlId::DateValue, true);
        ui.Host().SetItemText(ControlId::StatusLine, "Pre-loaded with K410");
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    other.join();
    EXPECT_EQ(ui.Text(ControlId::DateLabel), QStringLiteral("Date"));
    EXPECT_EQ(ui.Text(ControlId::DateValue), QStringLiteral("Mar 14 2010"));
    EXPECT_TRUE(ui.Visible(ControlId::DateValue));
    EXPECT_EQ(ui.Text(ControlId::StatusLine), QStringLiteral("Pre-loaded with K410"));
}

}  // namespace
