// SIGTERM and SIGHUP sent to the desktop program during a whole run against ecu-sim over a
// pseudo-terminal, in real time.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>
#include <signal.h>

#include "EcuSimProcess.h"
#include "WindowDriver.h"
#include "app/ControlIds.h"
#include "journal/JournalFormat.h"
#include "platform/posix/PosixSerialPort.h"
#include "ui/qt/StopSignalNotifier.h"

namespace {

// The window at work on the base area, its stop signals taken as the program takes them.
struct ProgrammingWindow {
    EcuSimProcess sim{{"--erase-ms", "300", "--boot-ms", "300"}};
    PosixSerialPort device{{sim.SlavePath()}};
    WindowDriver ui{device, {1}};
    StopSignalNotifier stops{ui.Window(), ui.Dialog()};

    bool Programming() {
        return ui.Proceed() && QTest::qWaitFor([&] { return ui.Dialog().tagIndex > 200; }, 60'000);
    }
};

// SIGTERM while the operator's close question is open: the question goes (answered No), the
// close steps end the ECU's session and close the line, and the recovery box says how to finish
// from the journal, which holds the ECU's data. A second SIGTERM takes that box down: the program
// ends without waiting for an operator who may not be there.
TEST(StopSignals, SigtermMidFlashRunsTheCloseStepsAndShowsTheRecoveryBoxThatASecondTakesDown) {
    ProgrammingWindow run;
    ASSERT_FALSE(run.sim.SlavePath().empty());
    QStringList boxes;
    ModalAnswerer answerer([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        if (!box) return false;
        const QString shown = box->windowTitle() + QStringLiteral(": ") + box->text();
        if (!boxes.contains(shown)) {
            boxes << shown;
            raise(SIGTERM);
        }
        return false;  // every box is left for the signal to take down
    });
    ASSERT_TRUE(run.Programming());
    QTest::keyClick(&run.ui.Window(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.ui.Window().isVisible(); }, 10'000));

    ASSERT_EQ(boxes.size(), 2) << boxes.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("Stop programming?: "))) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[1].startsWith(QStringLiteral("ECU not programmed: The ECU is not programmed")))
        << boxes[1].toStdString();
    const std::string journal = run.ui.Dialog().JournalPath();
    ASSERT_FALSE(journal.empty());
    EXPECT_TRUE(boxes[1].contains(QString::fromStdString("flash-updater-cli --resume " + journal)))
        << boxes[1].toStdString();
    EXPECT_TRUE(NeedsRestore(run.ui.Dialog().journalSettings.journal->Current()->header));
    EXPECT_FALSE(run.device.IsOpen());
    EXPECT_FALSE(run.ui.Dialog().commThread.Exists());
    EXPECT_EQ(answerer.Answered(), 0);
}

// SIGHUP while the ECU is being changed is let pass: nobody is left to be told, and the update
// completes. Once it has, SIGHUP ends the program as SIGTERM would, without a box.
TEST(StopSignals, SighupMidFlashChangesNothingAndEndsTheProgramOnceTheUpdateIsDone) {
    ProgrammingWindow run;
    ASSERT_FALSE(run.sim.SlavePath().empty());
    int boxes = 0;
    ModalAnswerer answerer([&](QWidget* open) {
        ++boxes;
        open->close();
        return true;
    });
    ASSERT_TRUE(run.Programming());
    raise(SIGHUP);
    const int32_t tagBefore = run.ui.Dialog().tagIndex;
    ASSERT_TRUE(QTest::qWaitFor([&] { return run.ui.Dialog().tagIndex > tagBefore + 20; }, 10'000));
    EXPECT_TRUE(run.ui.Window().isVisible());

    ASSERT_TRUE(QTest::qWaitFor([&] { return run.ui.Dialog().RunEnded(); }, 150'000));
    EXPECT_EQ(run.ui.Text(ControlId::StatusLine), QStringLiteral("Finished OK"));
    raise(SIGHUP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.ui.Window().isVisible(); }, 5'000));
    EXPECT_FALSE(run.device.IsOpen());
    EXPECT_EQ(boxes, 0);
}

}  // namespace
