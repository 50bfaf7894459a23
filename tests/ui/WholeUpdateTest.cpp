// The window through whole runs against ecu-sim over a pseudo-terminal, in real time, with the
// program's own serial port.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "EcuSimProcess.h"
#include "WindowDriver.h"
#include "app/ControlIds.h"
#include "platform/posix/PosixSerialPort.h"

namespace {

// Answers every message box with OK and keeps its text.
struct MessageBoxLog {
    QStringList texts;
    ModalAnswerer answerer{[this](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        texts << box->text();
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
        {ControlId::VersionLabel, "Software Version"}, {ControlId::VersionValue, "304E"},
        {ControlId::DateLabel, "Date"},                {ControlId::DateValue, "Mar 14 2010"},
        {ControlId::TimeLabel, "Time"},                {ControlId::TimeValue, "09:30:00"},
    };
    for (const auto& [id, text] : fields) {
        EXPECT_TRUE(ui.Visible(id)) << id;
        EXPECT_EQ(ui.Text(id), QString::fromLatin1(text)) << id;
    }
    EXPECT_FALSE(ui.Visible(ControlId::BusyIndicator));
    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2}) EXPECT_FALSE(ui.Visible(id));
    ui.Screenshot("ready");

    QTest::mouseClick(ui.Item(ControlId::Proceed), Qt::LeftButton);
    EXPECT_FALSE(ui.Item(ControlId::Proceed)->isEnabled());
    EXPECT_TRUE(ui.Visible(ControlId::BusyIndicator));
    for (const auto& [id, text] : fields) EXPECT_FALSE(ui.Visible(id)) << id;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Dialog().tagIndex > 200; }, 60'000));
    ui.Screenshot("programming");

    // The indicator is hidden right after the final text is written.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.Dialog().RunEnded(); }, 150'000))
        << ui.Text(ControlId::StatusLine).toStdString();
    EXPECT_EQ(ui.Text(ControlId::StatusLine), QStringLiteral("Finished OK"));
    EXPECT_FALSE(ui.Visible(ControlId::BusyIndicator));
    ui.Screenshot("finished");
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(ui.JournalFiles().size(), 1u) << "the run's journal, kept after it finished";

    QTest::keyClick(&ui.Window(), Qt::Key_Escape);
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

} // namespace
