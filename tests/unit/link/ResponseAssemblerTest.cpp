#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "TestBench.h"
#include "link/RequestTable.h"
#include "link/ResponseAssembler.h"

namespace {

using State = ResponseState;

Bytes WithSum(Bytes frame) {
    frame.push_back(static_cast<uint8_t>(std::accumulate(frame.begin(), frame.end(), 0u)));
    return frame;
}

// A frame of length byte `length` with a correct sum: length + 1 bytes.
Bytes FrameOfLength(uint8_t length) {
    Bytes frame{length};
    for (int i = 1; i < length; ++i) frame.push_back(static_cast<uint8_t>(i));
    return WithSum(frame);
}

Bytes Joined(const Bytes& a, const Bytes& b) {
    Bytes joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
}

const Bytes kSessionAnswer{0x03, 0x50, 0x84, 0xD7};

struct Case {
    std::string name;
    std::vector<Bytes> chunks;
    std::vector<State> states;  // after each chunk
    uint8_t finalCount;
};

TEST(ResponseAssemblerTest, TestsCompletenessOncePerChunkWithoutResynchronising) {
    Bytes stray{0x55};
    Bytes longest = FrameOfLength(254);
    Bytes neverComplete = FrameOfLength(254);
    neverComplete[0] = 255;
    const std::vector<Case> cases = {
        {"one chunk", {kSessionAnswer}, {State::Complete}, 4},
        {"split over two chunks", {{0x03, 0x50}, {0x84, 0xD7}}, {State::Incomplete, State::Complete}, 4},
        {"wrong sum: complete, for the gate to judge", {{0x03, 0x50, 0x84, 0xD8}}, {State::Complete}, 4},
        {"stray byte before a frame", {Joined(stray, kSessionAnswer)}, {State::Incomplete}, 5},
        {"two frames in one chunk", {Joined(kSessionAnswer, kSessionAnswer)}, {State::Incomplete}, 8},
        {"whole frame only in the middle of a chunk",
         {{0x03, 0x50}, {0x84, 0xD7, 0x00}},
         {State::Incomplete, State::Incomplete},
         5},
        {"longest frame, L = 254", {longest}, {State::Complete}, 255},
        // 256 bytes bring the count back to 0, and the next byte lands on the length byte.
        {"L = 255 never completes",
         {neverComplete, {0x00}, {0x07}},
         {State::Incomplete, State::Incomplete, State::Incomplete},
         1},
        {"a lone 00 is complete too", {{0x00}}, {State::Complete}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::array<uint8_t, 256> buffer{};
        std::atomic<uint8_t> count{0};
        for (size_t i = 0; i < c.chunks.size(); ++i)
            EXPECT_EQ(AppendResponseChunk(buffer, count, c.chunks[i]), c.states[i]);
        EXPECT_EQ(count, c.finalCount);
    }
}

TEST(ResponseAssemblerTest, AChunkOf256BytesIsAppendedWhole) {
    Bytes chunk(256);
    std::iota(chunk.begin(), chunk.end(), uint8_t{0x10});
    std::array<uint8_t, 256> buffer{};
    std::atomic<uint8_t> count{0};
    EXPECT_EQ(AppendResponseChunk(buffer, count, chunk), State::Incomplete);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), chunk.begin()));
}

TEST(ResponseAssemblerTest, TheDialogHandsOnlyGoodFramesOnAndStartsAfreshAfterEveryWholeOne) {
    const Bytes versionAnswer = WithSum({0x06, 0xD0, 0x00, '1', '2', '3'});
    struct Step {
        Bytes chunk;
        int32_t dongleVersion;
        uint8_t rxCount;
    };
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    dlg.dongleVersion = -1;
    dlg.lastSentRow = Row::InterfaceVersion;  // the adapter's version request is out
    dlg.scheduler.awaitingResponse = 1;
    for (const Step& step : {Step{{0x06, 0xD0, 0x00, '9'}, -1, 4}, Step{{'9', '9', 0x00}, -1, 0},  // wrong sum
                             Step{versionAnswer, 123, 0}}) {
        dlg.AssembleResponse(step.chunk.data(), static_cast<uint32_t>(step.chunk.size()));
        EXPECT_EQ(dlg.dongleVersion, step.dongleVersion);
        EXPECT_EQ(dlg.rxCount, step.rxCount);
    }
}

}  // namespace
