#include <gtest/gtest.h>

#include "sim/EcuSimArguments.h"

namespace {

bool Parse(std::vector<std::string_view> args, sim::EcuSimConfig& config, std::string& error) {
    return sim::ParseEcuSimArguments(args, config, error);
}

TEST(EcuSimArguments, EveryFixedOptionReachesTheModel) {
    sim::EcuSimConfig c;
    std::string error;
    ASSERT_TRUE(Parse(
        {"--model-code", "17",       "--variant",     "2",       "--date",      "Oct  2 2012", "--time",    "14:02:37",
         "--version",    "477E",     "--key-variant", "2",       "--erase-ms",  "0",           "--boot-ms", "250",
         "--pace",       "--fault",  "drop@3D,nth=5", "--fault", "nrc=80@20",   "--seed",      "99",        "--once",
         "--report",     "out.json", "--flash-size",  "0x50000", "--switch-ms", "400"},
        c, error))
        << error;
    EXPECT_EQ(c.options.identity.modelCode, 17);
    EXPECT_EQ(c.options.identity.variant, 2);
    EXPECT_EQ(c.options.identity.date, "Oct  2 2012");
    EXPECT_EQ(c.options.identity.time, "14:02:37");
    EXPECT_EQ(c.options.identity.version, "477E");
    EXPECT_EQ(c.options.keyVariant, 2);
    EXPECT_EQ(c.options.eraseMs, 0u);
    EXPECT_EQ(c.options.bootMs, 250u);
    EXPECT_TRUE(c.options.paceLine);
    ASSERT_EQ(c.options.faults.size(), 2u);
    EXPECT_EQ(c.options.faults[1].code, 0x80);
    EXPECT_EQ(c.options.seed, 99u);
    EXPECT_TRUE(c.once);
    EXPECT_EQ(c.reportPath, "out.json");
    EXPECT_EQ(c.options.flashSize, 0x50000u);
    EXPECT_EQ(c.options.switchMs, 400u);
}

TEST(EcuSimArguments, TheEcusIdentityOptions) {
    sim::EcuSimConfig c;
    std::string error;
    ASSERT_TRUE(Parse({"--vin", "WVWZZZ1KZAW000123", "--keep-identity", "--no-history"}, c, error)) << error;
    EXPECT_EQ(c.options.vin, "WVWZZZ1KZAW000123");
    EXPECT_TRUE(c.options.keepIdentity);
    EXPECT_TRUE(c.options.noHistory);
    sim::EcuSimConfig blank;
    ASSERT_TRUE(Parse({"--vin", ""}, blank, error)) << error;
    EXPECT_EQ(blank.options.vin, "");
    sim::EcuSimConfig none;
    ASSERT_TRUE(Parse({}, none, error));
    EXPECT_FALSE(none.options.vin || none.options.keepIdentity || none.options.noHistory);
}

TEST(EcuSimArguments, WithoutPaceBytesLeaveAtOnce) {
    sim::EcuSimConfig c;
    std::string error;
    ASSERT_TRUE(Parse({}, c, error));
    EXPECT_FALSE(c.options.paceLine);
}

TEST(EcuSimArguments, RefusesWhatTheModelCannotBe) {
    for (const std::vector<std::string_view>& args :
         std::vector<std::vector<std::string_view>>{{"--model-code", "256"},
                                                    {"--date", "Oct 2 2012"},
                                                    {"--time", "14:02"},
                                                    {"--version", "477"},
                                                    {"--key-variant", "3"},
                                                    {"--key-variant", "0"},
                                                    {"--switch-ms", "401"},
                                                    {"--flash-size", "0x20000"},
                                                    {"--adapter-version", "12a"},
                                                    {"--fault", "explode"},
                                                    {"--seed"},
                                                    {"--verbose"},
                                                    {"--erase-ms", "-1"},
                                                    {"--model-code", "0x1FF"},
                                                    {"--key-variant", "both"},
                                                    {"--fault", "cut,count=2"},
                                                    {"--vin", "WVWZZZ1KZAW00012"}}) {
        sim::EcuSimConfig c;
        std::string error;
        EXPECT_FALSE(Parse(args, c, error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(EcuSimArguments, NumbersInDecimalOrHexAndAnEcuThatRefusesBothKeys) {
    sim::EcuSimConfig c;
    std::string error;
    ASSERT_TRUE(Parse({"--model-code", "010", "--flash-size", "0x60000", "--key-variant", "none"}, c, error)) << error;
    EXPECT_EQ(c.options.identity.modelCode, 10) << "a leading zero is not octal";
    EXPECT_EQ(c.options.flashSize, 0x60000u);
    EXPECT_EQ(c.options.keyVariant, 0);
}

TEST(EcuSimArguments, HelpListsEveryOptionAndTheFaultGrammar) {
    sim::EcuSimConfig c;
    std::string error;
    ASSERT_TRUE(Parse({"--help"}, c, error));
    EXPECT_TRUE(c.help);
    const std::string usage = sim::EcuSimUsage();
    for (const char* option :
         {"--model-code", "--variant", "--date", "--time", "--version", "--key-variant", "--erase-ms", "--boot-ms",
          "--pace", "--fault", "--seed", "--once", "--report", "--switch-ms", "junk-before", "on=pending", "repeat=N"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

}  // namespace
