#include <gtest/gtest.h>

#include "sim/FaultRule.h"

namespace {

using sim::FaultAction;

struct ParsedCase {
    const char* text;
    FaultAction action;
    uint8_t code;
    uint32_t ms;
    std::vector<uint8_t> match;
    uint32_t nth, count;
    bool always;
    uint32_t randomPercent;
};

TEST(FaultRule, ParsesEveryAction) {
    const ParsedCase cases[] = {
        {"drop@3D,nth=5", FaultAction::Drop, 0, 0, {0x3D}, 5, 1, false, 0},
        {"delay=1500@21,nth=3,count=2", FaultAction::Delay, 0, 1500, {0x21}, 3, 2, false, 0},
        {"corrupt", FaultAction::Corrupt, 0, 0, {}, 1, 1, false, 0},
        {"nrc=80@218300,always", FaultAction::Negative, 0x80, 1000, {0x21, 0x83, 0x00}, 1, 1, true, 0},
        {"pending=300@3D", FaultAction::Negative, 0x78, 300, {0x3D}, 1, 1, false, 0},
        {"unsupported@1A88", FaultAction::Negative, 0x12, 0, {0x1A, 0x88}, 1, 1, true, 0},
        {"unsupported=11@21AC", FaultAction::Negative, 0x11, 0, {0x21, 0xAC}, 1, 1, true, 0},
        {"no-routine-09", FaultAction::Negative, 0x12, 0, {0x31, 0x09}, 1, 1, true, 0},
        {"wrong-echo@3D,nth=4,count=3", FaultAction::WrongEcho, 0, 0, {0x3D}, 4, 3, false, 0},
        {"wrong-crc@2183,count=2", FaultAction::WrongChecksum, 0, 0, {0x21, 0x83}, 1, 2, false, 0},
        {"silent-adapter", FaultAction::SilentAdapter, 0, 0, {}, 1, 1, true, 0},
        {"silent-adapter@90,nth=2,count=3", FaultAction::SilentAdapter, 0, 0, {0x90}, 2, 3, false, 0},
        {"pending@31,repeat=3", FaultAction::Negative, 0x78, 1000, {0x31}, 1, 1, false, 0},
        {"status=01@21BD", FaultAction::Status, 0x01, 0, {0x21, 0xBD}, 1, 1, false, 0},
        {"unknown-sid", FaultAction::UnknownService, 0x52, 0, {}, 1, 1, false, 0},
        {"truncate=3@21", FaultAction::Truncate, 0, 0, {0x21}, 1, 1, false, 0},
        {"bad-copy,nth=2", FaultAction::BadCopy, 0, 0, {}, 2, 1, false, 0},
        {"duplicate@1A", FaultAction::Duplicate, 0, 0, {0x1A}, 1, 1, false, 0},
        {"glue@21,count=2", FaultAction::Glue, 0, 0, {0x21}, 1, 2, false, 0},
        {"cut@3D,nth=40", FaultAction::Cut, 0, 0, {0x3D}, 40, 1, false, 0},
        {"unplug", FaultAction::Unplug, 0, 0, {}, 1, 1, false, 0},
        {"drop,random=5,always", FaultAction::Drop, 0, 0, {}, 1, 1, true, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        sim::FaultRule rule;
        std::string error;
        ASSERT_TRUE(sim::ParseFaultRule(c.text, rule, error)) << error;
        EXPECT_EQ(rule.action, c.action);
        EXPECT_EQ(rule.code, c.code);
        EXPECT_EQ(rule.ms, c.ms);
        EXPECT_EQ(rule.match, c.match);
        EXPECT_EQ(rule.nth, c.nth);
        EXPECT_EQ(rule.count, c.count);
        EXPECT_EQ(rule.always, c.always);
        EXPECT_EQ(rule.randomPercent, c.randomPercent);
        EXPECT_EQ(rule.text, c.text);
    }
}

TEST(FaultRule, RejectsWhatItCannotMean) {
    for (const char* text : {"",
                             "explode",
                             "drop@3",
                             "drop@XY",
                             "drop@3D,nth=0",
                             "drop,count=0",
                             "drop,random=101",
                             "delay@3D",
                             "delay=abc",
                             "nrc=7@21",
                             "nrc=123@21",
                             "unsupported=21@21AC",
                             "no-routine-09@3109",
                             "drop,sometimes",
                             "nrc=21@90",
                             "wrong-echo@94",
                             "drop=5",
                             "drop,count=2,always",
                             "status=00@21BD",
                             "status=01@90",
                             "truncate=0",
                             "junk-before=5",
                             "unknown-sid=5",
                             "repeat=2",
                             "on=later@3D"}) {
        sim::FaultRule rule;
        std::string error;
        EXPECT_FALSE(sim::ParseFaultRule(text, rule, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// An option that the action would ignore is refused: the rule would not do what it says.
TEST(FaultRule, RefusesOptionsTheActionIgnores) {
    for (const char* text :
         {"cut@3D,count=2", "unplug,always", "drop,repeat=2", "nrc=21@21,repeat=2", "nrc=78@31,service=21",
          "pending@31,service=21", "wrong-crc@2183,on=pending", "pending@31,on=pending", "unsupported@21AC,count=2",
          "no-routine-09,count=3", "status=01@21BD,on=pending"}) {
        sim::FaultRule rule;
        std::string error;
        EXPECT_FALSE(sim::ParseFaultRule(text, rule, error)) << text;
        EXPECT_NE(error.find("means nothing to"), std::string::npos) << text << ": " << error;
    }
}

TEST(FaultRule, ValuesOfTheLineNoiseActions) {
    sim::FaultRule rule;
    std::string error;
    ASSERT_TRUE(sim::ParseFaultRule("junk-before=55AA@21,on=pending", rule, error)) << error;
    EXPECT_EQ(rule.bytes, (std::vector<uint8_t>{0x55, 0xAA}));
    EXPECT_TRUE(rule.onPending);
    ASSERT_TRUE(sim::ParseFaultRule("junk-after", rule, error)) << error;
    EXPECT_EQ(rule.bytes, (std::vector<uint8_t>{0x00}));
    ASSERT_TRUE(sim::ParseFaultRule("truncate=3", rule, error)) << error;
    EXPECT_EQ(rule.length, 3u);
    ASSERT_TRUE(sim::ParseFaultRule("nrc=12@21,service=31", rule, error)) << error;
    EXPECT_EQ(rule.service, uint8_t{0x31});
    ASSERT_TRUE(sim::ParseFaultRule("pending=250@3D,repeat=4", rule, error)) << error;
    EXPECT_EQ(rule.ms, 250u);
    EXPECT_EQ(rule.repeat, 4u);
    // A stray frame comes while the ECU is busy, so after the pending answer, whatever is written.
    ASSERT_TRUE(sim::ParseFaultRule("stray@3D,always", rule, error)) << error;
    EXPECT_EQ(rule.action, FaultAction::Stray);
    EXPECT_EQ(rule.bytes, (std::vector<uint8_t>{0x52, 0x00}));
    EXPECT_TRUE(rule.onPending);
    ASSERT_TRUE(sim::ParseFaultRule("stray=7F3112@3D", rule, error)) << error;
    EXPECT_EQ(rule.bytes, (std::vector<uint8_t>{0x7F, 0x31, 0x12}));
    EXPECT_FALSE(sim::ParseFaultRule("stray=7F3", rule, error));
}

}  // namespace
