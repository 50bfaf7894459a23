// Which ports a run tries: the command line's, else FLASH_UPDATER_PORTS, else the system's list;
// and the forms a Windows COM port may be named in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/PortChoice.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PortChoice, TheCommandLineBeforeTheVariableBeforeTheSystemsList) {
    const PortChoice named = ChoosePorts({"/dev/ttyUSB1", "/dev/ttyUSB0"}, "/dev/pts/7");
    EXPECT_THAT(named.names, ElementsAre("/dev/ttyUSB1", "/dev/ttyUSB0"));
    EXPECT_THAT(named.error, IsEmpty());

    const PortChoice variable = ChoosePorts({}, "/dev/pts/7:/dev/ttyUSB0");
    EXPECT_THAT(variable.names, ElementsAre("/dev/pts/7", "/dev/ttyUSB0"));
    EXPECT_THAT(variable.error, IsEmpty());

    const PortChoice system = ChoosePorts({}, nullptr);
    EXPECT_THAT(system.names, IsEmpty());
    EXPECT_THAT(system.error, IsEmpty());
}

TEST(PortChoice, AVariableThatIsSetButNamesNoPortIsAnError) {
    for (const char* value : {"", ":", "::"}) {
        const PortChoice choice = ChoosePorts({}, value);
        EXPECT_THAT(choice.names, IsEmpty()) << value;
        EXPECT_THAT(choice.error, ::testing::HasSubstr("FLASH_UPDATER_PORTS")) << value;
    }
    // The command line's ports make the variable irrelevant.
    EXPECT_THAT(ChoosePorts({"COM6"}, "").error, IsEmpty());
}

TEST(PortChoice, ThePortVariableListsPathsInItsOwnOrder) {
    EXPECT_THAT(SplitPortVariable("/dev/pts/7:/dev/ttyUSB0"), ElementsAre("/dev/pts/7", "/dev/ttyUSB0"));
    EXPECT_THAT(SplitPortVariable(":/dev/pts/3::/dev/pts/1:"), ElementsAre("/dev/pts/3", "/dev/pts/1"));
    EXPECT_TRUE(SplitPortVariable("").empty());
}

TEST(PortChoice, ComPortNames) {
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"COM6", 6},        {"com6", 6},        {"Com12", 12}, {"6", 6},     {"255", 255},
        {"COM1", 1},        {"\\\\.\\COM9", 9}, {"COM0", {}},  {"0", {}},    {"256", {}},
        {"COM256", {}},     {"COM06", {}},      {"COM", {}},   {"", {}},     {"COM6x", {}},
        {"/dev/ttyS0", {}}, {"-1", {}},         {"1000", {}},  {"LPT1", {}},
    };
    for (const auto& [name, number] : cases) EXPECT_EQ(ComPortNumber(name), number) << name;

    std::string error;
    EXPECT_EQ(ComPortNumbers({"COM6", "3"}, error), (std::vector<int32_t>{6, 3}));
    EXPECT_EQ(ComPortNumbers({"COM6", "/dev/ttyS0"}, error), std::nullopt);
    EXPECT_EQ(error, "'/dev/ttyS0' is no COM port (COM1 to COM255, or 1 to 255)");
}

}  // namespace
