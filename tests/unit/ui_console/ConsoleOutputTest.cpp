// What the console program prints: on a terminal the busy line is redrawn in place; into a file
// or pipe there is one line per text and no control character at all.
#include <gtest/gtest.h>

#include <sstream>

#include "ui/console/BusyLineText.h"
#include "ui/console/ConsoleOutput.h"

namespace {

TEST(ConsoleOutput, OnATerminalTheBusyLineIsRedrawnInPlaceAndMovesBelowEachNewLine) {
    std::ostringstream out;
    ConsoleOutput output(out, true);
    output.ShowBusyLine("[#---]");
    output.ShowBusyLine("[-#-]");  // shorter: the old last character is blanked
    output.PrintLine("Connected");
    output.HideBusyLine();
    EXPECT_EQ(out.str(),
              "\r[#---]"
              "\r[-#-] "
              "\r      \r"
              "Connected\n"
              "\r[-#-]"
              "\r     \r");
}

TEST(ConsoleOutput, IntoAFileOnlyTheLinesAreWrittenWithoutAnyControlCharacter) {
    std::ostringstream out;
    ConsoleOutput output(out, false);
    output.ShowBusyLine("[#---]");
    output.PrintLine("Connected to Com Port  [  1  ]");
    output.PrintLine(
        "Date: Mar\x1b[2J 14\x9b"
        "2010\x7f");  // from the ECU: must not steer a terminal
    output.PrintLine("two\r\nlines");
    output.HideBusyLine();
    EXPECT_EQ(out.str(),
              "Connected to Com Port  [  1  ]\n"
              "Date: Mar?[2J 14?2010?\n"
              "two\n"
              "lines\n");
    EXPECT_EQ(output.LastLine(), "lines");
}

TEST(BusyLineText, MarksTheActiveBlockAndNothingOutsideTheRow) {
    struct Case {
        int32_t blocks, position;
        const char* text;
    };
    for (const Case& c : {Case{10, 0, "[#---------]"}, Case{10, 9, "[---------#]"}, Case{4, 2, "[--#-]"},
                          Case{4, 4, "[----]"}, Case{4, -1, "[----]"}, Case{0, 0, "[]"}, Case{-3, 0, "[]"}}) {
        EXPECT_EQ(BusyLineText(c.blocks, c.position), c.text) << c.blocks << " blocks at " << c.position;
    }
    EXPECT_LE(BusyLineText(1 << 30, 5).size(), 80u);
}

}  // namespace
