// What a real ECU or adapter objects to lands in the report's violations, one text per fault of
// the program; what a correct program does (the whole update in UpdateSequenceTest) lands none.
#include <gtest/gtest.h>

#include <functional>

#include "SimHarness.h"
#include "link/Framing.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes WriteMemory(uint32_t address, std::size_t count, uint8_t countByte) {
    Bytes r{0x3D, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address), countByte};
    r.resize(r.size() + count, 0x00);
    return r;
}

// A write of `id` with `data` and, when asked, the record sum of the data after it.
Bytes WriteLocal(uint8_t id, Bytes data, bool withSum, uint8_t sumOffset = 0) {
    if (withSum)
        data.push_back(static_cast<uint8_t>(ByteSum(data.data(), static_cast<uint32_t>(data.size())) + sumOffset));
    data.insert(data.begin(), {0x3B, id});
    return data;
}

struct ViolationCase {
    const char* name;
    std::function<void(SimHarness&)> act;
    std::vector<std::string> violations;
    const char* fault = nullptr;  // a --fault rule the model runs with
};

void PrintTo(const ViolationCase& c, std::ostream* os) { *os << c.name; }

class SimulatorViolations : public ::testing::TestWithParam<ViolationCase> {};

sim::SimOptions WithFault(const char* text) {
    sim::SimOptions options;
    if (!text) return options;
    sim::FaultRule rule;
    std::string error;
    EXPECT_TRUE(sim::ParseFaultRule(text, rule, error)) << error;
    options.faults.push_back(rule);
    return options;
}

TEST_P(SimulatorViolations, AreReportedOnceEach) {
    SimHarness host(WithFault(GetParam().fault));
    GetParam().act(host);
    EXPECT_EQ(host.sim.Report().violations, GetParam().violations);
}

void InSession84(SimHarness& host, const Bytes& request, uint8_t code) {
    host.EnterDiagnosticSession();
    EXPECT_EQ(host.Ask(request), (Bytes{0x7F, request[0], code}));
}

INSTANTIATE_TEST_SUITE_P(
    Program, SimulatorViolations,
    ::testing::Values(
        ViolationCase{"request_while_erasing",
                      [](SimHarness& host) {
                          host.EnterProgrammingSession();
                          ASSERT_EQ(host.Ask(WriteMemory(0, 192, 0xC0)), (Bytes{0x7F, 0x3D, 0x78}));
                          EXPECT_EQ(host.Ask({0x21, 0x83, 0x00}), (Bytes{0x7F, 0x21, 0x21}));
                          EXPECT_EQ(host.NextAnswer(), (Bytes{0x7D, 0x00, 0x00, 0x00})) << "the erase goes on";
                      },
                      {"21 83 00 sent while the ECU erases"}},
        ViolationCase{"write_narrower_than_its_row",
                      [](SimHarness& host) {
                          InSession84(host, {0x3B, 0x12, 1, 2, 3, 4}, 0x12);
                      },
                      {"3B 12 carries 4 data bytes, not 5"}},
        ViolationCase{"write_4C_with_the_17_bytes_read",
                      [](SimHarness& host) { InSession84(host, WriteLocal(0x4C, Bytes(17, 0x44), false), 0x12); },
                      {"3B 4C carries 17 data bytes, not 11"}},
        ViolationCase{"write_17_without_its_sum",
                      [](SimHarness& host) { InSession84(host, WriteLocal(0x17, Bytes(14, 0x21), false), 0x12); },
                      {"3B 17 carries 14 data bytes, not 15"}},
        ViolationCase{"write_17_with_a_wrong_sum",
                      [](SimHarness& host) { InSession84(host, WriteLocal(0x17, Bytes(14, 0x21), true, 1), 0x31); },
                      {"3B 17 carries a wrong record sum"}},
        ViolationCase{"write_7C_with_a_wrong_sum",
                      [](SimHarness& host) { InSession84(host, WriteLocal(0x7C, Bytes(40, 0x07), true, 0x80), 0x31); },
                      {"3B 7C carries a wrong record sum"}},
        ViolationCase{"write_memory_of_a_short_tag",
                      [](SimHarness& host) {
                          host.EnterProgrammingSession();
                          EXPECT_EQ(host.Ask(WriteMemory(0x20000, 16, 0x10)), (Bytes{0x7F, 0x3D, 0x78}));
                      },
                      {"3D of 21 bytes with count 16, not a whole tag"}},
        ViolationCase{"write_memory_count_disagrees",
                      [](SimHarness& host) {
                          host.EnterProgrammingSession();
                          EXPECT_EQ(host.Ask(WriteMemory(0, 192, 0xBF)), (Bytes{0x7F, 0x3D, 0x12}));
                      },
                      {"3D of 197 bytes with count 191, not a whole tag"}},
        ViolationCase{"host_line_with_parity_then_flow_control",
                      [](SimHarness& host) {
                          host.sim.SetHostLineSettings({7, 'E', 1, false});
                          host.sim.SetHostLineSettings({7, 'E', 1, false});
                          host.sim.SetHostLineSettings({});
                          host.sim.SetHostLineSettings({8, 'N', 1, true});
                          host.sim.SetHostLineSettings({8, 'N', 2, false});
                      },
                      {"host line set to 7E1, not 8N1 without flow control",
                       "host line set to 8N1 with flow control, not 8N1 without flow control",
                       "host line set to 8N2, not 8N1 without flow control"}},
        // A host that never got the erase's pending answer resends after its time-out.
        ViolationCase{"request_while_erasing_unannounced_is_no_violation",
                      [](SimHarness& host) {
                          host.EnterProgrammingSession();
                          host.Send(WriteMemory(0, 192, 0xC0));
                          host.Wait(1050);
                          EXPECT_EQ(host.Ask(WriteMemory(0, 192, 0xC0)), (Bytes{0x7F, 0x3D, 0x21}));
                          EXPECT_EQ(host.NextAnswer(), (Bytes{0x7D, 0x00, 0x00, 0x00}));
                      },
                      {},
                      "drop@3D,on=pending"},
        // The program repeats a request the ECU left pending: busy, but not wrong.
        ViolationCase{"request_during_a_pending_chain_is_no_violation",
                      [](SimHarness& host) {
                          host.EnterDiagnosticSession();
                          ASSERT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x7F, 0x31, 0x78}));
                          EXPECT_EQ(host.Ask({0x31, 0x09}), (Bytes{0x7F, 0x31, 0x21}));
                          EXPECT_EQ(host.NextAnswer(), (Bytes{0x71, 0x09}));
                      },
                      {},
                      "pending=300@3109"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
