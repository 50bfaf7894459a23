// The gate every whole frame passes before a handler sees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "link/RequestTable.h"
#include "session/ValidateResponse.h"

namespace {

using Bytes = std::vector<uint8_t>;
using V = ResponseVerdict;

// Length byte, payload, sum.
Bytes Framed(const Bytes& payload) {
    Bytes frame{static_cast<uint8_t>(payload.size() + 1)};
    for (uint8_t b : payload) frame.push_back(b);
    frame.push_back(static_cast<uint8_t>(std::accumulate(frame.begin(), frame.end(), 0u)));
    return frame;
}

Bytes WithWrongSum(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

OutstandingRequest Asked(int row) {
    OutstandingRequest out = OutstandingFor(row);
    out.awaited = true;
    return out;
}

OutstandingRequest MemoryWriteAnswerDue(OutstandingRequest out) {
    out.memoryWriteAnswerDue = true;
    return out;
}

TEST(ValidateResponse, JudgesEveryFrameBeforeAnyHandler) {
    const OutstandingRequest nothing{};
    const struct {
        const char* what;
        Bytes frame;
        OutstandingRequest outstanding;
        ResponseVerdict verdict;
    } cases[] = {
        {"the answer asked for", Framed({0x50, 0x84}), Asked(Row::StartSession84), V::Accepted},
        {"a refusal of the request out", Framed({0x7F, 0x10, 0x12}), Asked(Row::StartSession84), V::Accepted},
        {"the adapter's version", Framed({0xD0, 0x00, '1', '2', '3'}), Asked(Row::InterfaceVersion), V::Accepted},
        {"a lone 00", {0x00}, Asked(Row::StartSession84), V::NoFrame},
        {"no identifier: 01 01", {0x01, 0x01}, Asked(Row::StartSession84), V::NoFrame},
        {"damaged on the line", WithWrongSum(Framed({0x50, 0x84})), Asked(Row::StartSession84), V::WrongSum},
        {"nothing was asked", Framed({0x50, 0x84}), nothing, V::NothingOutstanding},
        {"a service of no answer of ours", Framed({0xA5, 0x00}), Asked(Row::StartSession84), V::UnknownService},
        {"an answer to another service", Framed({0x61, 0x60, 'x'}), Asked(Row::StartSession84), V::NotTheAnswer},
        {"an identifier among the answers, not this one", Framed({0x52, 0x00}), Asked(Row::StartSession84),
         V::NotTheAnswer},
        {"a refusal naming another service", Framed({0x7F, 0x31, 0x12}), Asked(Row::StartSession84), V::NotTheAnswer},
        {"a refusal naming none", Framed({0x7F}), Asked(Row::StartSession84), V::NotTheAnswer},
        {"a refusal without its code", Framed({0x7F, 0x10}), Asked(Row::StartSession84), V::TooShortForLayout},
        {"a seed without its seed", Framed({0x67, 0x05, 0x12}), Asked(Row::SeedLevel5), V::TooShortForLayout},
        {"a seed", Framed({0x67, 0x05, 0x12, 0x34}), Asked(Row::SeedLevel5), V::Accepted},
        {"a checksum cut short", Framed({0x61, 0x83, 0xE3}), Asked(Row::BaseChecksum), V::TooShortForLayout},
        {"a model code without its variant", Framed({0x61, 0xAC, 0x00, 0x11}), Asked(Row::ModelCode),
         V::TooShortForLayout},
        {"a record one byte short (21 15: 5 bytes)", Framed({0x61, 0x15, 1, 2, 3, 4}), Asked(30), V::TooShortForLayout},
        {"a whole record", Framed({0x61, 0x15, 1, 2, 3, 4, 5}), Asked(30), V::Accepted},
        {"a block without its number's data (21 1A nn: D2, 16)", Framed({0x61, 0x1A, 0x00, 1, 2}), Asked(32),
         V::TooShortForLayout},
        {"an echo without its address", Framed({0x7D, 0x00, 0x01}), Asked(Row::WriteMemory), V::TooShortForLayout},
        // After 7F 3D 78 only the memory write's own answer ends the wait, also while another
        // request is out; a stray frame is no answer.
        {"the final answer of a memory write", Framed({0x7D, 0x00, 0x00, 0xC0}), MemoryWriteAnswerDue(nothing),
         V::Accepted},
        {"its final refusal", Framed({0x7F, 0x3D, 0x22}), MemoryWriteAnswerDue(nothing), V::Accepted},
        {"a refusal of another service meanwhile", Framed({0x7F, 0x31, 0x12}), MemoryWriteAnswerDue(nothing),
         V::NotTheAnswer},
        {"an unknown service meanwhile", Framed({0xA5, 0x00}), MemoryWriteAnswerDue(nothing), V::UnknownService},
        {"the final answer while a resend is out", Framed({0x7D, 0x00, 0x00, 0xC0}),
         MemoryWriteAnswerDue(Asked(Row::WriteMemory)), V::Accepted},
    };
    for (const auto& c : cases) EXPECT_EQ(ValidateResponse(c.frame, c.outstanding), c.verdict) << c.what;
}

TEST(ValidateResponse, EveryVerdictHasAName) {
    std::vector<std::string> names;
    for (std::size_t v = 0; v < kResponseVerdicts; ++v) names.push_back(VerdictName(static_cast<ResponseVerdict>(v)));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(std::count(names.begin(), names.end(), "?"), 0);
    // A verdict added after the last one counted would index past the dropped-frame counters.
    EXPECT_STREQ(VerdictName(static_cast<ResponseVerdict>(kResponseVerdicts)), "?");
}

}  // namespace
