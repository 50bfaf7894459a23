#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "TestBench.h"
#include "link/Framing.h"
#include "link/RequestTable.h"

namespace {

// Row number -> frame on the wire, from the reference list derived apart from this code.
std::map<int, Bytes> ReadGoldenFrames() {
    std::map<int, Bytes> frames;
    std::ifstream in(GOLDEN_REQUEST_TABLE);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos || line.find("no fixed frame") != std::string::npos) continue;
        std::istringstream bytes(line.substr(colon + 1));
        Bytes frame;
        unsigned value;
        while (bytes >> std::hex >> value) frame.push_back(static_cast<uint8_t>(value));
        frames[std::stoi(line.substr(0, colon))] = frame;
    }
    return frames;
}

TEST(RequestTable, EveryRowHasItsOwnNumberAndTheTableItsDesignedSize) {
    for (int i = 0; i < kRequestRowCount; ++i) EXPECT_EQ(RequestTable[static_cast<size_t>(i)].index, uint32_t(i));
    EXPECT_EQ(sizeof(RequestTable), 48100u);
}

// With nothing filled in (no key, block 0, no saved data) every row goes out exactly as the
// reference list has it: the table's bytes and the framing together.
TEST(RequestTable, EveryFixedRowFramesExactlyAsTheReferenceList) {
    const auto golden = ReadGoldenFrames();
    ASSERT_EQ(golden.size(), 181u);  // 185 rows less 174 and 182..184
    TestBench bench;
    bench.dlg->InitSessionData();
    bench.port.Open(1);
    for (const auto& [row, frame] : golden) {
        bench.port.ClearWrites();
        bench.dlg->SendRequest(row);
        ASSERT_EQ(bench.port.Writes().size(), 1u) << "row " << row;
        EXPECT_EQ(bench.port.Writes()[0], frame) << "row " << row;
    }
}

TEST(Framing, ChecksumIsTheEightBitSumOfTheLengthByteAndPayload) {
    uint8_t body[256] = {0x03, 0x50, 0x84};
    FrameChecksum(body);
    EXPECT_EQ(body[3], 0xD7);

    uint8_t full[256] = {0xFF};
    for (int i = 1; i < 255; ++i) full[i] = 0xFF;
    FrameChecksum(full);  // 255 bytes of 0xFF: the sum wraps
    EXPECT_EQ(full[255], static_cast<uint8_t>(255 * 0xFF));
}

TEST(Framing, RecordSumGoesRightAfterTheBytesItCovers) {
    uint8_t area[5] = {0x10, 0x20, 0xF0, 0x7F, 0xEE};
    RecordSum(area, 3);
    EXPECT_EQ(area[3], 0x20);  // 0x10 + 0x20 + 0xF0 = 0x120
    EXPECT_EQ(area[4], 0xEE);
}

}  // namespace
