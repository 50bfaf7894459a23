// The dialog as the console shows it: only new status texts, the ECU's fields when they are
// shown, message boxes and the open-file dialog as prompts answered by options or typed lines.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "TestBench.h"
#include "app/ControlIds.h"
#include "link/ConnectionSequence.h"
#include "ui/console/ConsoleDialogHost.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/LineInput.h"
#include "ui/console/UiEventLoop.h"

namespace {

// A host on this thread's loop whose operator types `typed` (then the input ends).
class ConsoleHostTest : public ::testing::Test {
protected:
    void Start(ConsoleAnswers answers, const std::string& typed = "", PortNamer describePort = {}) {
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        ASSERT_EQ(write(fds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
        close(fds[1]);
        inputFd_ = fds[0];
        input_ = std::make_unique<LineInput>(inputFd_, [this] { loop_.Wake(); });
        host_ =
            std::make_unique<ConsoleDialogHost>(loop_, output_, *input_, std::move(answers), std::move(describePort));
    }
    ~ConsoleHostTest() override {
        host_.reset();
        input_.reset();
        if (inputFd_ >= 0) close(inputFd_);
    }

    std::ostringstream out_;
    ConsoleOutput output_{out_, false};
    UiEventLoop loop_;
    int inputFd_ = -1;
    std::unique_ptr<LineInput> input_;
    std::unique_ptr<ConsoleDialogHost> host_;
};

TEST_F(ConsoleHostTest, PrintsEachNewStatusTextOnceAndTheFieldsWhenTheyAreShown) {
    Start({});
    ConsoleDialogHost& host = *host_;
    host.SetItemText(ControlId::StatusLine, "Writing (Base) - 3%");
    host.SetItemText(ControlId::StatusLine, "Writing (Base) - 3%");  // the same tag percentage again
    host.SetItemText(ControlId::StatusLine, "");
    host.SetItemText(ControlId::DateLabel, "Date");
    host.AppendFieldText(ControlId::DateValue, "Mar 14 2010");
    host.AppendFieldText(ControlId::VersionValue, "304E");
    for (int id : {ControlId::DateLabel, ControlId::DateValue, ControlId::TimeLabel, ControlId::TimeValue,
                   ControlId::VersionLabel, ControlId::VersionValue})
        host.ShowItem(id, true);
    host.ShowItem(ControlId::DateValue, true);  // already shown: not again
    host.SetItemText(ControlId::StatusLine, "Pre-loaded with K410");
    EXPECT_EQ(out_.str(),
              "Writing (Base) - 3%\n"
              "Date: Mar 14 2010\n"
              "Software Version: 304E\n"
              "Pre-loaded with K410\n");
    EXPECT_EQ(host.StatusText(), "Pre-loaded with K410");
}

// A station with several adapters can tell which one the run took.
TEST_F(ConsoleHostTest, TheConnectionsLineNamesThePortsDevice) {
    Start({}, "", [](int32_t number) { return "COM" + std::to_string(number) + ": USB Serial Port"; });
    TestBench bench;
    bench.ports.ports = {3, 7};
    bench.dlg->EnumeratePorts();
    CandidateIndex() = 1;
    host_->Attach(*bench.dlg);
    host_->SetItemText(ControlId::StatusLine, "Connecting to Com Port  [  7  ]");
    host_->SetItemText(ControlId::StatusLine, "Connected to Com Port  [  7  ]");
    CandidateIndex() = 0;
    EXPECT_EQ(out_.str(),
              "Connecting to Com Port  [  7  ]\n"
              "Connected to Com Port  [  7  ]  (COM7: USB Serial Port)\n");
    EXPECT_EQ(host_->StatusText(), "Connected to Com Port  [  7  ]");
}

TEST_F(ConsoleHostTest, WithYesMessageBoxesAreAnsweredAtOnceAndTheDebugFileByItsOption) {
    Start({true, "/tmp/debug.txt"});
    EXPECT_EQ(host_->ShowMessageBox("Reset ECU First, Then Click OK", "User Input Required", MessageIcon::Exclamation,
                                    MessageButtons::Ok),
              MessageResult::Ok);
    EXPECT_EQ(host_->ShowMessageBox("Comm Thread Error", "", MessageIcon::Error, MessageButtons::Ok),
              MessageResult::Ok);
    std::string path = "debug.txt";
    EXPECT_TRUE(host_->ChooseFile(path, "Save debug information"));
    EXPECT_EQ(path, "/tmp/debug.txt");
    EXPECT_EQ(out_.str(),
              "User Input Required: Reset ECU First, Then Click OK [OK]\n"
              "Flash Updater: Comm Thread Error [OK]\n"
              "Save debug information: /tmp/debug.txt\n");
}

TEST_F(ConsoleHostTest, PromptsTakeTheOperatorsLinesAndGiveUpAtTheEndOfTheInput) {
    Start({}, "\nreport.txt\n\n");
    host_->ShowMessageBox("Reset ECU First, Then Click OK", "User Input Required", MessageIcon::Exclamation,
                          MessageButtons::Ok);
    std::string path = "debug.txt";
    EXPECT_TRUE(host_->ChooseFile(path, "Save debug information"));
    EXPECT_EQ(path, "report.txt");
    EXPECT_FALSE(host_->ChooseFile(path, "Save debug information"));  // an empty line cancels
    EXPECT_FALSE(host_->ChooseFile(path, "Save debug information"));  // so does the end of the input
    EXPECT_EQ(path, "report.txt");
    EXPECT_NE(out_.str().find("User Input Required: Reset ECU First, Then Click OK\nPress Enter for OK.\n"),
              std::string::npos)
        << out_.str();
}

// A question is answered Yes only by the operator: --yes and the end of the input answer No.
TEST_F(ConsoleHostTest, QuestionsAreAnsweredYesOnlyByTheOperator) {
    const struct {
        bool yes;
        const char* typed;
        MessageResult expected;
    } cases[] = {
        {true, "y\n", MessageResult::No},
        {false, "y\n", MessageResult::Yes},
        {false, "\n", MessageResult::No},
        {false, "", MessageResult::No},
    };
    for (const auto& c : cases) {
        Start({c.yes, std::nullopt}, c.typed);
        EXPECT_EQ(host_->ShowMessageBox("Is this that ECU?", "", MessageIcon::Exclamation, MessageButtons::YesNo),
                  c.expected)
            << c.yes << " " << c.typed;
        host_.reset();
        input_.reset();
        close(std::exchange(inputFd_, -1));
    }
    EXPECT_NE(out_.str().find("Flash Updater: Is this that ECU? [No]\n"), std::string::npos) << out_.str();
}

TEST_F(ConsoleHostTest, ARequestedCloseEndsAWaitingPrompt) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);  // an operator who never types
    inputFd_ = fds[0];
    input_ = std::make_unique<LineInput>(inputFd_, [this] { loop_.Wake(); });
    host_ = std::make_unique<ConsoleDialogHost>(loop_, output_, *input_, ConsoleAnswers{});
    std::thread signal([&] { host_->RequestClose(); });
    std::string path;
    EXPECT_FALSE(host_->ChooseFile(path, "Save debug information"));
    signal.join();
    EXPECT_TRUE(host_->CloseRequested());
    host_.reset();
    input_.reset();
    close(fds[1]);
}

}  // namespace
