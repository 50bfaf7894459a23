// An unexpected refusal during programming: the operator is offered the debug information file,
// the report is appended to the file chosen, and the run ends there.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"

namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DebugFile, AnUnexpectedRefusalAppendsItsReportToTheChosenFile) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("flash-debug-" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream earlier(file, std::ios::binary);
        earlier << "kept as it was\n";
    }
    sim::SimOptions ecu = EcuOfModel(0, 0);
    AddFault(ecu, "nrc=10@3D,nth=5");
    VirtualUpdateBench run(ecu);
    run.host().ScriptFileChoice(file.string());
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    EXPECT_EQ(run.host().StatusText(), Text::CanNowExit);

    const std::string text = Contents(file);
    const std::string header =
        "kept as it was\n\nNegative Response received: verb= 0x3d response= 0x10 state = 1\nVIN = ";
    EXPECT_EQ(text.substr(0, header.size()), header);
    EXPECT_NE(text.find("\nTrying to upgrade to K410\nCurrently @ 304E\nTimestamp: "), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 2), " \n");

    // Nothing more goes on the wire once the run has ended.
    const size_t frames = run.line.Writes().size();
    run.RunFor(10000);
    EXPECT_EQ(run.line.Writes().size(), frames);
    std::filesystem::remove(file);
}

}  // namespace
