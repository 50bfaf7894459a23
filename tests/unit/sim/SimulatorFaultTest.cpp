// Each fault of --fault on the model, in virtual time.
#include <gtest/gtest.h>

#include "SimHarness.h"
#include "sim/SecurityKey.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Answer = std::optional<Bytes>;

sim::SimOptions WithFault(const char* text) {
    sim::SimOptions options;
    sim::FaultRule rule;
    std::string error;
    EXPECT_TRUE(sim::ParseFaultRule(text, rule, error)) << error;
    options.faults.push_back(rule);
    return options;
}

const Bytes kVersion{0xD0, 0x00, '1', '2', '3'};
const Answer kNone = std::nullopt;

TEST(SimulatorFaults, DropLosesTheNthAnswerOnly) {
    SimHarness host(WithFault("drop@90,nth=2"));
    EXPECT_EQ(host.Ask({0x90}), kVersion);
    EXPECT_EQ(host.Ask({0x90}), kNone);
    EXPECT_EQ(host.Ask({0x90}), kVersion);
}

TEST(SimulatorFaults, DelayHoldsTheAnswerBack) {
    SimHarness plain, delayed(WithFault("delay=2000@90"));
    ASSERT_EQ(plain.Ask({0x90}), kVersion);
    ASSERT_EQ(delayed.Ask({0x90}), kVersion);
    EXPECT_EQ(delayed.nowUs - plain.nowUs, 2'000'000u);
}

TEST(SimulatorFaults, CorruptSpoilsTheFrameChecksum) {
    SimHarness host(WithFault("corrupt@90"));
    host.Send({0x90});
    const Bytes received = host.Drain();
    ASSERT_EQ(received.size(), 7u);
    EXPECT_EQ(Bytes(received.begin(), received.end() - 1), Bytes({0x06, 0xD0, 0x00, '1', '2', '3'}));
    EXPECT_NE(received.back(), 0x6C);
}

TEST(SimulatorFaults, NegativeCodeCountTimesThenTheRealAnswer) {
    SimHarness host(WithFault("nrc=21@21AC,count=2"));
    EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x7F, 0x21, 0x21}));
    EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x7F, 0x21, 0x21}));
    EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x61, 0xAC, 0x00, 0x00, 0x00}));
}

TEST(SimulatorFaults, AlwaysKeepsRefusing) {
    for (const char* rule : {"unsupported=11@21AC", "nrc=11@21AC,always"}) {
        SimHarness host(WithFault(rule));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x7F, 0x21, 0x11})) << rule;
    }
}

TEST(SimulatorFaults, NoRoutine09) {
    SimHarness host(WithFault("no-routine-09"));
    host.EnterDiagnosticSession();
    EXPECT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x7F, 0x31, 0x12}));
    EXPECT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x7F, 0x31, 0x12}));
    EXPECT_EQ(host.Ask({0x31, 0x10}), (Bytes{0x71, 0x10}));
}

TEST(SimulatorFaults, PendingAnswersLater) {
    SimHarness host(WithFault("pending=700@2183"));
    host.EnterDiagnosticSession();
    host.Send({0x21, 0x83, 0x00});
    const uint64_t sent = host.nowUs;
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x21, 0x78}));
    const Answer final = host.NextAnswer();
    ASSERT_TRUE(final && final->size() == 4 && (*final)[0] == 0x61);
    EXPECT_GE(host.nowUs, sent + 700'000);
}

// Midway through the erase a frame that answers nothing, then the erase's own answer as ever; a
// request in between is still one sent while the ECU erases.
TEST(SimulatorFaults, StrayFrameWhileTheEcuErases) {
    for (bool askMeanwhile : {false, true}) {
        sim::SimOptions options = WithFault("stray=7F3112@3D");
        options.eraseMs = 1000;
        SimHarness host(options);
        host.EnterProgrammingSession();
        Bytes tag{0x3D, 0x00, 0x00, 0x00, 0xC0};
        tag.resize(tag.size() + 192, 0x00);
        host.Send(tag);
        const uint64_t sent = host.nowUs;
        EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x3D, 0x78}));
        EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x31, 0x12}));
        EXPECT_GE(host.nowUs, sent + 450'000);
        EXPECT_LT(host.nowUs, sent + 600'000);
        if (askMeanwhile) {
            host.Send({0x21, 0x83, 0x00});
            EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x21, 0x21}));
        }
        EXPECT_EQ(host.NextAnswer(), (Bytes{0x7D, 0x00, 0x00, 0x00}));
        EXPECT_EQ(host.sim.Report().violations.size(), askMeanwhile ? 1u : 0u);
    }
}

TEST(SimulatorFaults, Code80OnStopSessionLeavesTheSession) {
    SimHarness host(WithFault("nrc=80@20"));
    host.EnterDiagnosticSession();
    EXPECT_EQ(host.Ask({0x20}), (Bytes{0x7F, 0x20, 0x80}));
    EXPECT_EQ(host.Ask({0x21, 0x83, 0x00}).value_or(Bytes{}).at(0), 0x61) << "still in session 0x84";
}

TEST(SimulatorFaults, WrongEchoChangesTheAddressOfTheAnswer) {
    SimHarness host(WithFault("wrong-echo@3D,nth=2"));
    host.EnterProgrammingSession();
    Bytes tag{0x3D, 0x02, 0x00, 0x00, 0xC0};
    tag.resize(5 + 192, 0x00);
    EXPECT_EQ(host.Ask(tag), (Bytes{0x7F, 0x3D, 0x78}));
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7D, 0x02, 0x00, 0x00}));
    tag[3] = 0xC0;
    EXPECT_EQ(host.Ask(tag), (Bytes{0x7D, 0x02, 0x01, 0xC0}));
}

TEST(SimulatorFaults, WrongChecksumNTimes) {
    SimHarness host(WithFault("wrong-crc@218301,count=2"));
    host.EnterDiagnosticSession();
    const Answer base = host.Ask({0x21, 0x83, 0x00});
    const Answer right = [&] {
        SimHarness clean;
        clean.EnterDiagnosticSession();
        return clean.Ask({0x21, 0x83, 0x01});
    }();
    EXPECT_EQ(base.value_or(Bytes{}).at(0), 0x61) << "the base area is not named";
    EXPECT_NE(host.Ask({0x21, 0x83, 0x01}), right);
    EXPECT_NE(host.Ask({0x21, 0x83, 0x01}), right);
    EXPECT_EQ(host.Ask({0x21, 0x83, 0x01}), right);
}

TEST(SimulatorFaults, SilentAdapterNeverAnswers) {
    SimHarness host(WithFault("silent-adapter"));
    EXPECT_EQ(host.Ask({0x90}), kNone);
    EXPECT_EQ(host.Ask({0x21, 0x60}), kNone);
}

TEST(SimulatorFaults, CutAndUnplugSilenceTheLineForGood) {
    for (const char* rule : {"cut@21,nth=2", "unplug@21,nth=2"}) {
        SimHarness host(WithFault(rule));
        EXPECT_TRUE(host.Ask({0x21, 0x60}).has_value());
        EXPECT_EQ(host.Ask({0x21, 0x61}), kNone);
        EXPECT_EQ(host.Ask({0x90}), kNone);
        EXPECT_TRUE(host.sim.LineCut());
        EXPECT_EQ(host.sim.Unplugged(), std::string(rule).starts_with("unplug"));
    }
}

TEST(SimulatorFaults, RandomHitsAreTheSameForTheSameSeed) {
    const auto pattern = [](uint64_t seed) {
        sim::SimOptions options = WithFault("drop@90,random=50,always");
        options.seed = seed;
        SimHarness host(options);
        std::string hits;
        for (int i = 0; i < 32; ++i) hits += host.Ask({0x90}) ? '.' : 'x';
        return hits;
    };
    EXPECT_EQ(pattern(5), pattern(5));
    EXPECT_NE(pattern(5), pattern(6));
    EXPECT_NE(pattern(5).find('x'), std::string::npos);
    EXPECT_NE(pattern(5).find('.'), std::string::npos);
}

TEST(SimulatorFaults, ReportCountsTheHitsOfEachFault) {
    SimHarness host(WithFault("drop@90,count=2"));
    for (int i = 0; i < 4; ++i) host.Ask({0x90});
    const auto report = host.sim.Report();
    ASSERT_EQ(report.faults.size(), 1u);
    EXPECT_EQ(report.faults[0].rule, "drop@90,count=2");
    EXPECT_EQ(report.faults[0].hits, 2u);
    EXPECT_EQ(report.requestsPerService.at(0x90), 4u);
}

// Noise around, in and instead of the adapter's version answer, as the host's port receives it.
TEST(SimulatorFaults, LineNoiseAroundTheAnswer) {
    const Bytes v{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};
    const auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    Bytes badSum = v;
    badSum.back() ^= 0x01;
    const struct {
        const char* rule;
        Bytes wire;
    } cases[] = {
        {"junk-before@90", cat({{0x00}, v})},
        {"junk-before=55AA@90", cat({{0x55, 0xAA}, v})},
        {"junk-after=03@90", cat({v, {0x03}})},
        {"duplicate@90", cat({v, v})},
        {"truncate@90", Bytes(v.begin(), v.end() - 1)},
        {"truncate=2@90", Bytes(v.begin(), v.begin() + 2)},
        {"bad-copy@90", cat({badSum, v})},
        {"unknown-sid@90", {0x06, 0x52, 0x00, '1', '2', '3', 0xEE}},
        {"junk-before=FF@90,on=pending", v},  // no pending answer to act on
    };
    for (const auto& c : cases) {
        SimHarness host(WithFault(c.rule));
        host.Send({0x90});
        EXPECT_EQ(host.Drain(), c.wire) << c.rule;
        host.Send({0x90});
        EXPECT_EQ(host.Drain(), v) << c.rule << ": the next answer is clean";
    }
}

TEST(SimulatorFaults, GlueHoldsAnAnswerUntilTheNextOneLeaves) {
    SimHarness host(WithFault("glue@90"));
    host.Send({0x90});
    EXPECT_EQ(host.Drain(), Bytes{});
    host.Send({0x90});
    const Bytes v{0x06, 0xD0, 0x00, '1', '2', '3', 0x6C};
    Bytes both = v;
    both.insert(both.end(), v.begin(), v.end());
    EXPECT_EQ(host.Drain(), both);
}

TEST(SimulatorFaults, NegativeAnswerNamingAnotherService) {
    SimHarness host(WithFault("nrc=12@21AC,service=31"));
    EXPECT_EQ(host.Ask({0x21, 0xAC}), (Bytes{0x7F, 0x31, 0x12}));
}

TEST(SimulatorFaults, StatusByteOf21BD) {
    SimHarness host(WithFault("status=01@21BD"));
    host.EnterDiagnosticSession();
    const Answer flagged = host.Ask({0x21, 0xBD, 0x00});
    ASSERT_TRUE(flagged && flagged->size() == 7) << "61 BD, status, 4 bytes";
    EXPECT_EQ((*flagged)[2], 0x01);
    const Answer valid = host.Ask({0x21, 0xBD, 0x00});
    ASSERT_TRUE(valid && valid->size() == 7);
    EXPECT_EQ((*valid)[2], 0x00);
    EXPECT_EQ(Bytes(flagged->begin() + 3, flagged->end()), Bytes(valid->begin() + 3, valid->end()));
}

// A chain of pending answers; what the host asks meanwhile gets "busy", never a second answer.
TEST(SimulatorFaults, PendingChainKeepsTheEcuBusyUntilItsFinalAnswer) {
    SimHarness host(WithFault("pending=200@3109,repeat=3"));
    host.EnterDiagnosticSession();
    host.Send({0x31, 0x09});
    const uint64_t sent = host.nowUs;
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x31, 0x78}));
    EXPECT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x7F, 0x31, 0x21}));
    EXPECT_EQ(host.Ask({0x21, 0x12}), (Bytes{0x7F, 0x21, 0x21}));
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x31, 0x78}));
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x7F, 0x31, 0x78}));
    EXPECT_EQ(host.NextAnswer(), (Bytes{0x71, 0x09}));
    EXPECT_GE(host.nowUs, sent + 600'000);
    EXPECT_EQ(host.NextAnswer(), kNone) << "one final answer";
    EXPECT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x71, 0x09})) << "one request hit";
}

// The erase's own 7F 3D 78 is reachable: lost, or preceded by a chain of pending answers.
TEST(SimulatorFaults, FaultsReachTheErasesPendingAnswer) {
    const Bytes tag = [] {
        Bytes t{0x3D, 0x00, 0x00, 0x00, 0xC0};
        t.resize(5 + 192, 0x00);
        return t;
    }();
    const Bytes echo{0x7D, 0x00, 0x00, 0x00}, pending{0x7F, 0x3D, 0x78};
    const struct {
        const char* rule;
        std::vector<Bytes> answers;
    } cases[] = {
        {"drop@3D,on=pending", {echo}},
        {"drop@3D", {pending}},
        {"pending=100@3D,repeat=2", {pending, pending, pending, echo}},
        {"duplicate@3D,on=pending", {pending, pending, echo}},
    };
    for (const auto& c : cases) {
        SimHarness host(WithFault(c.rule));
        host.EnterProgrammingSession();
        host.Send(tag);
        std::vector<Bytes> answers;
        while (const Answer a = host.NextAnswer()) answers.push_back(*a);
        EXPECT_EQ(answers, c.answers) << c.rule;
        EXPECT_TRUE(host.sim.Report().areas[0].erased) << c.rule;
    }
}

TEST(SimulatorFaults, SilentAdapterFromTheNthRequest) {
    const struct {
        const char* rule;
        std::string answered;  // per version query: '.' answered, 'x' not
    } cases[] = {
        {"silent-adapter@90,nth=2", ".xxx"},
        {"silent-adapter,nth=2,count=2", ".xx."},
        {"silent-adapter", "xxxx"},
    };
    for (const auto& c : cases) {
        SimHarness host(WithFault(c.rule));
        std::string answered;
        for (int i = 0; i < 4; ++i) answered += host.Ask({0x90}) ? '.' : 'x';
        EXPECT_EQ(answered, c.answered) << c.rule;
    }
}

TEST(SimulatorFaults, EcuThatAcceptsNeitherLevel5Variant) {
    sim::SimOptions options;
    options.keyVariant = 0;
    SimHarness host(options);
    for (const auto formula : {sim::KeyFormula::Level5Variant1, sim::KeyFormula::Level5Variant2}) {
        const Answer seed = host.Ask({0x27, 0x05});
        ASSERT_TRUE(seed && seed->size() == 4);
        const uint16_t key = sim::SecurityKey(formula, static_cast<uint16_t>((*seed)[2] << 8 | (*seed)[3]));
        EXPECT_EQ(host.Ask({0x27, 0x06, static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)}),
                  (Bytes{0x7F, 0x27, 0x35}));
    }
}

}  // namespace
