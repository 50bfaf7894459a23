// The window through whole runs against ecu-sim over a pseudo-terminal, in real time, with the
// program's own serial port.
#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "EcuSimProcess.h"
#include "WindowDriver.h"
#include "app/ControlIds.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

// Answers every message box, a question with No, anything else with OK, and keeps its caption
// and text.
struct MessageBoxLog {
    QStringList texts;
    ModalAnswerer answerer{[this](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        texts << box->windowTitle() + QStringLiteral(": ") + box->text();
        if (QAbstractButton* no = box->button(QMessageBox::No))
            no->click();
        else
            box->button(QMessageBox::Ok)->click();
        return true;
    }};
};

TEST(WholeUpdate, TheWindowShowsIdentificationReadinessProgressAndTheEnd) {
    EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300"});
    ASSERT_FALSE(sim.SlavePath().empty());
    PosixSerialPort device({sim.SlavePath()});
    MessageBoxLog boxes;
    WindowDriver ui(device, {1});

    // Ready once "Proceed ->" is enabled, right after the text.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Item(ControlId::Proceed)->isEnabled() && ui.Dialog().imageIndex != 0; },
                                30'000));
    EXPECT_EQ(ui.Text(ControlId::StatusLine), QStringLiteral("Pre-loaded with K410"));
    const std::pair<int, const char*> fields[] = {
        {ControlId::VersionLabel, "Software Version"},
        {ControlId::VersionValue, "304E"},
        {ControlId::DateLabel, "Date"},
        {ControlId::DateValue, "Mar 14 2010"},
        {ControlId::TimeLabel, "Time"},
        {ControlId::TimeValue, "09:30:00"},
    };
    for (const auto& [id, text] : fields) {
        EXPECT_TRUE(ui.Visible(id)) << id;
        EXPECT_EQ(ui.Text(id), QString::fromLatin1(text)) << id;
    }
    EXPECT_FALSE(ui.Visible(ControlId::BusyIndicator));
    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2})
        EXPECT_FALSE(ui.Visible(id));
    ui.Screenshot("ready");

    QTest::mouseClick(ui.Item(ControlId::Proceed), Qt::LeftButton);
    EXPECT_FALSE(ui.Item(ControlId::Proceed)->isEnabled());
    EXPECT_TRUE(ui.Visible(ControlId::BusyIndicator));
    for (const auto& [id, text] : fields) EXPECT_FALSE(ui.Visible(id)) << id;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Dialog().tagIndex > 200; }, 60'000));
    ui.Screenshot("programming");

    // Closing now would leave the ECU without a working program: Escape and the close box (and
    // Alt+F4, which the window system turns into a close) ask, and No goes on as before.
    QTest::keyClick(&ui.Window(), Qt::Key_Escape);
    EXPECT_FALSE(ui.Window().close());
    ASSERT_EQ(boxes.texts.size(), 2) << boxes.texts.join(QStringLiteral(" | ")).toStdString();
    for (const QString& text : boxes.texts) {
        EXPECT_TRUE(text.startsWith(QStringLiteral("Stop programming?: The ECU is being programmed.")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("flash-updater-cli --resume "))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("Close anyway?"))) << text.toStdString();
    }
    boxes.texts.clear();
    EXPECT_TRUE(ui.Window().isVisible());
    EXPECT_TRUE(device.IsOpen());

    // The indicator is hidden right after the final text is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Dialog().RunEnded(); }, 150'000))
        << ui.Text(ControlId::StatusLine).toStdString();
    EXPECT_EQ(ui.Text(ControlId::StatusLine), QStringLiteral("Finished OK"));
    EXPECT_FALSE(ui.Visible(ControlId::BusyIndicator));
    ui.Screenshot("finished");
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(ui.JournalFiles().size(), 1u) << "the run's journal, kept after it finished";

    // After the final text the window closes at once.
    QTest::keyClick(&ui.Window(), Qt::Key_Escape);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(ui.Window().isVisible());
    EXPECT_TRUE(boxes.texts.isEmpty());
}

// The adapter unplugged in the middle of the base area: the window ends the run with a box that
// says what happened and how to recover, then closes.
TEST(WholeUpdate, AnAdapterThatVanishesMidRunEndsTheRunWithABox) {
    EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--fault", "unplug@3D,nth=200"});
    ASSERT_FALSE(sim.SlavePath().empty());
    PosixSerialPort device({sim.SlavePath()});
    QString caption, text;
    ModalAnswerer answerer([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        caption = box->windowTitle();
        text = box->text();
        SaveScreenshot(*box, "adapter-lost");
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    WindowDriver ui(device, {1});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Item(ControlId::Proceed)->isEnabled() && ui.Dialog().imageIndex != 0; },
                                30'000));
    QTest::mouseClick(ui.Item(ControlId::Proceed), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.Window().isVisible(); }, 60'000))
        << ui.Text(ControlId::StatusLine).toStdString();

    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(caption, QStringLiteral("Adapter lost"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("The run has ended: the line to the adapter was lost.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("The ECU is not programmed"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("flash-updater-cli --resume "))) << text.toStdString();
    EXPECT_TRUE(ui.Text(ControlId::StatusLine).startsWith(QStringLiteral("Writing (Base) - ")));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(ui.Dialog().commThread.Exists());
}

// The line lost while the operator's close question is open: the box of the lost line tells the
// recovery, and the question answered Yes afterwards closes without telling it again.
TEST(WholeUpdate, ALineLostWhileTheCloseQuestionIsOpenTellsTheRecoveryOnce) {
    EcuSimProcess sim({"--erase-ms", "300", "--boot-ms", "300", "--fault", "unplug@3D,nth=200"});
    ASSERT_FALSE(sim.SlavePath().empty());
    PosixSerialPort device({sim.SlavePath()});
    QStringList boxes;
    bool lineLostTold = false;
    ModalAnswerer answerer([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        const QString shown = box->windowTitle() + QStringLiteral(": ") + box->text();
        if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
            if (boxes.isEmpty()) boxes << shown;
            if (!lineLostTold) return false;  // the question stays open until the line is lost
            yes->click();
            return true;
        }
        boxes << shown;
        lineLostTold = true;
        box->button(QMessageBox::Ok)->click();
        return true;
    });
    WindowDriver ui(device, {1});
    ASSERT_TRUE(ui.Proceed());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Dialog().tagIndex > 20; }, 60'000));
    QTest::keyClick(&ui.Window(), Qt::Key_Escape);  // returns once the question is answered
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.Window().isVisible(); }, 60'000));

    ASSERT_EQ(boxes.size(), 2) << boxes.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Stop programming?: "))) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[1].startsWith(QStringLiteral("Adapter lost: "))) << boxes[1].toStdString();
    EXPECT_TRUE(boxes[1].contains(QStringLiteral("The ECU is not programmed"))) << boxes[1].toStdString();
    EXPECT_EQ(answerer.Answered(), 2);
    EXPECT_FALSE(device.IsOpen());
}

// The waits of the response handler, watched: which one is in progress and how each ended.
class WatchedClock : public Clock {
public:
    bool Sleep(uint32_t ms) override {
        {
            std::lock_guard lock(mutex_);
            sleeping_ = ms;
        }
        const bool waited = clock_.Sleep(ms);
        std::lock_guard lock(mutex_);
        sleeping_ = 0;
        if (!waited) ++cut_;
        return waited;
    }
    void CutWaits() override { clock_.CutWaits(); }
    void AllowWaits() override { clock_.AllowWaits(); }
    bool LocalTime(std::tm& out) override { return clock_.LocalTime(out); }

    uint32_t Sleeping() {
        std::lock_guard lock(mutex_);
        return sleeping_;
    }
    int Cut() {
        std::lock_guard lock(mutex_);
        return cut_;
    }

private:
    PosixClock clock_;
    std::mutex mutex_;
    uint32_t sleeping_ = 0;
    int cut_ = 0;
};

TEST(WholeUpdate, ClosingWhileTheReceiveThreadWaitsEndsTheWaitAtOnce) {
    EcuSimProcess sim({});
    ASSERT_FALSE(sim.SlavePath().empty());
    PosixSerialPort device({sim.SlavePath()});
    WatchedClock clock;
    WindowDriver ui(device, {1}, &clock);

    ASSERT_TRUE(QTest::qWaitFor([&] { return clock.Sleeping() >= 100; }, 30'000));
    const auto start = std::chrono::steady_clock::now();
    QTest::keyClick(&ui.Window(), Qt::Key_Escape);
    const auto closing = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(clock.Cut(), 1) << "the wait was cut, not waited out";
    EXPECT_LT(closing, std::chrono::milliseconds(100));
    EXPECT_FALSE(ui.Window().isVisible());
    EXPECT_FALSE(device.IsOpen());
}

}  // namespace
