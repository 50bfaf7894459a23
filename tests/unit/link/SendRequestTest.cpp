#include <gtest/gtest.h>

#include <numeric>

#include "TestBench.h"
#include "link/RequestTable.h"

namespace {

uint8_t Sum(const Bytes& bytes, size_t count) {
    return static_cast<uint8_t>(std::accumulate(bytes.begin(), bytes.begin() + static_cast<long>(count), 0u));
}

class SendRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg.InitSessionData();
        bench.port.Open(1);
    }

    // What one send of the row put on the wire (empty when nothing was written).
    Bytes Send(int32_t row) {
        bench.port.ClearWrites();
        dlg.SendRequest(row);
        const auto writes = bench.port.Writes();
        EXPECT_LE(writes.size(), 1u);
        return writes.empty() ? Bytes{} : writes[0];
    }

    // Fills a snapshot field with 1, 2, 3, ... so that positions can be told apart.
    template <std::size_t N>
    static void Number(std::array<uint8_t, N>& field) {
        for (std::size_t i = 0; i < N; ++i) field[i] = static_cast<uint8_t>(i + 1);
    }

    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
};

TEST_F(SendRequestTest, WellKnownFrames) {
    EXPECT_EQ(Send(Row::InterfaceVersion), (Bytes{0x02, 0x90, 0x92}));
    EXPECT_EQ(Send(Row::StartSession84), (Bytes{0x03, 0x10, 0x84, 0x97}));
    EXPECT_EQ(Send(Row::ClearDiagnostics), (Bytes{0x04, 0x14, 0x00, 0x00, 0x18}));
}

TEST_F(SendRequestTest, KeyRowsCarryTheKeyMostSignificantByteFirst) {
    dlg.securityKey = 0xA1B2;
    EXPECT_EQ(Send(Row::KeyLevel5), (Bytes{0x05, 0x27, 0x06, 0xA1, 0xB2, 0x85}));
    EXPECT_EQ(Send(Row::KeyLevel7), (Bytes{0x05, 0x27, 0x08, 0xA1, 0xB2, 0x87}));
}

TEST_F(SendRequestTest, BlockReadRowsCarryTheBlockNumber) {
    dlg.blockIndex = 7;
    for (auto [row, id] : {std::pair{Row::ReadLocal1A, 0x1A},
                           {Row::ReadLocal24, 0x24},
                           {Row::ReadLocal39, 0x39},
                           {Row::ReadLocal65, 0x65},
                           {Row::ReadHistory, 0x69},
                           {Row::ReadLocal84, 0x84},
                           {Row::ReadLocal85, 0x85}}) {
        const Bytes frame = Send(row);
        ASSERT_EQ(frame.size(), 5u) << row;
        EXPECT_EQ(frame[2], id) << row;
        EXPECT_EQ(frame[3], 7) << row;
        EXPECT_EQ(frame[4], Sum(frame, 4)) << row;
    }
}

TEST_F(SendRequestTest, BlockWriteRowsCarryTheBlockNumberAndThatBlock) {
    auto& s = dlg.ecuDataSnapshot;
    Number(s.local1A);
    Number(s.local24);
    Number(s.local39);
    Number(s.local69);
    struct Case {
        int row;
        uint8_t block;
        const uint8_t* field;
        size_t width;
    };
    for (const Case& c :
         {Case{Row::WriteLocal1A, 3, s.local1A.data(), 16}, Case{Row::WriteLocal1A, 99, s.local1A.data(), 16},
          Case{Row::WriteLocal24, 9, s.local24.data(), 64}, Case{Row::WriteLocal39, 200, s.local39.data(), 16},
          Case{Row::WriteHistory, 4, s.local69.data(), 16}}) {
        dlg.blockIndex = c.block;
        const Bytes frame = Send(c.row);
        ASSERT_EQ(frame.size(), 4 + c.width + 1) << c.row;
        EXPECT_EQ(frame[0], 4 + c.width);
        EXPECT_EQ(frame[3], c.block);
        EXPECT_EQ(Bytes(frame.begin() + 4, frame.end() - 1),
                  Bytes(c.field + c.block * c.width, c.field + (c.block + 1) * c.width))
            << c.row;
        EXPECT_EQ(frame.back(), Sum(frame, frame.size() - 1));
    }
}

TEST_F(SendRequestTest, SingleRecordsGoAfterTheIdentifierOrTheSubIdentifier) {
    auto& s = dlg.ecuDataSnapshot;
    Number(s.local12);
    Number(s.local1E01);
    Number(s.localB820);
    Number(s.ident90);
    EXPECT_EQ(Send(Row::WriteLocal12), (Bytes{0x08, 0x3B, 0x12, 1, 2, 3, 4, 5, 0x64}));
    EXPECT_EQ(Send(Row::WriteLocal1E01), (Bytes{0x09, 0x3B, 0x1E, 0x01, 1, 2, 3, 4, 5, 0x72}));
    const Bytes b820 = Send(Row::WriteLocalB820);
    EXPECT_EQ(Bytes(b820.begin(), b820.begin() + 5), (Bytes{0x18, 0x3B, 0xB8, 0x20, 1}));
    EXPECT_EQ(b820[23], 20);
    const Bytes vin = Send(Row::WriteIdent90);
    ASSERT_EQ(vin.size(), 21u);
    EXPECT_EQ(vin[3], 1);
    EXPECT_EQ(vin[19], 17);
}

// The 0x17 record goes back whole: all 14 saved bytes, then their sum. Sending only the first
// six would overwrite the ECU's other eight bytes with zeros.
TEST_F(SendRequestTest, Record17IsWrittenBackWholeWithItsSum) {
    auto& record = dlg.ecuDataSnapshot.local17;
    Number(record);  // 1..14, sum 105
    const Bytes frame = Send(Row::WriteLocal17);
    ASSERT_EQ(frame.size(), 19u);
    EXPECT_EQ(frame[0], 0x12);
    EXPECT_EQ(Bytes(frame.begin() + 3, frame.begin() + 17), Bytes(record.begin(), record.end()));
    EXPECT_EQ(frame[17], 105);
    EXPECT_EQ(frame[18], Sum(frame, 18));
}

TEST_F(SendRequestTest, Record7CCarriesItsFortyBytesAndTheirSum) {
    auto& record = dlg.ecuDataSnapshot.local7C;
    Number(record);  // 1..40, sum 820
    const Bytes frame = Send(Row::WriteLocal7C);
    ASSERT_EQ(frame.size(), 45u);
    EXPECT_EQ(Bytes(frame.begin() + 3, frame.begin() + 43), Bytes(record.begin(), record.end()));
    EXPECT_EQ(frame[43], static_cast<uint8_t>(820));
}

// The 1A 4C write carries the 11 bytes its length byte gives; the ECU keeps the other 6.
TEST_F(SendRequestTest, Record4CSendsTheElevenBytesTheRowHasRoomFor) {
    Number(dlg.ecuDataSnapshot.ident4C);
    const Bytes frame = Send(Row::WriteIdent4C);
    ASSERT_EQ(frame.size(), 15u);
    EXPECT_EQ(frame[0], 0x0E);
    EXPECT_EQ(frame[3], 1);
    EXPECT_EQ(frame[13], 11);
}

TEST_F(SendRequestTest, MemoryWriteSendsTheTagOfTheStagesContainer) {
    for (int i = 0; i < 3; ++i) {
        FlashTag& base = dlg.BaseContainer[static_cast<size_t>(i)];
        FlashTag& upper = dlg.UpperContainer[static_cast<size_t>(i)];
        base = {0xC6, 0x3D, 0x00, 0x00, static_cast<uint8_t>(i * 0xC0), 0xC0};
        upper = {0xC6, 0x3D, 0x02, 0x00, static_cast<uint8_t>(i * 0xC0), 0xC0};
        for (int k = 6; k < kFlashTagSize; ++k)
            base[static_cast<size_t>(k)] = upper[static_cast<size_t>(k)] = uint8_t(k + i);
    }
    dlg.lastBaseTag = 2;
    dlg.lastUpperTag = 2;
    dlg.tagIndex = 1;

    dlg.sessionStage = Stage::BaseProgramming;
    const Bytes base = Send(Row::WriteMemory);
    ASSERT_EQ(base.size(), 199u);
    EXPECT_EQ(Bytes(base.begin(), base.end() - 1), Bytes(dlg.BaseContainer[1].begin(), dlg.BaseContainer[1].end()));
    EXPECT_EQ(base.back(), Sum(base, 198));

    dlg.sessionStage = Stage::UpperProgramming;
    const Bytes upper = Send(Row::WriteMemory);
    ASSERT_EQ(upper.size(), 199u);
    EXPECT_EQ(upper[2], 0x02);
    EXPECT_EQ(Bytes(upper.begin(), upper.end() - 1), Bytes(dlg.UpperContainer[1].begin(), dlg.UpperContainer[1].end()));
}

TEST_F(SendRequestTest, SendingARowAgainGivesTheSameBytes) {
    dlg.securityKey = 0x1234;
    Number(dlg.ecuDataSnapshot.local17);
    for (int row : {Row::InterfaceVersion, Row::KeyLevel5, Row::WriteLocal17, Row::WriteLocal7C, Row::ClearDiagnostics})
        EXPECT_EQ(Send(row), Send(row)) << row;
}

// Whatever the state, a request that cannot be completed inside its buffers is not sent; it
// still counts as awaited, so the scheduler times it out and goes on instead of spinning.
TEST_F(SendRequestTest, RequestsThatCannotBeCompletedSafelyAreNotSent) {
    struct Case {
        const char* what;
        int32_t row;
        uint8_t block;
        int32_t stage, tag, lastTag;
    };
    dlg.BaseContainer[0] = {0xC6, 0x3D};
    const Case cases[] = {
        {"row below the table", -1, 0, 0, 0, 0},
        {"row past the table", kRequestRowCount, 0, 0, 0, 0},
        {"block 100 of a 100-block record", Row::WriteLocal1A, 100, 0, 0, 0},
        {"block 10 of a 10-block record", Row::WriteLocal24, 10, 0, 0, 0},
        {"block 255 of the history", Row::WriteHistory, 255, 0, 0, 0},
        {"tag past the last one", Row::WriteMemory, 0, 1, 3, 2},
        {"negative tag", Row::WriteMemory, 0, 1, -1, 2},
        {"tag past the container", Row::WriteMemory, 0, 1, 2048, 4000},
        {"empty container", Row::WriteMemory, 0, 5, 0, -1},
        {"memory write outside programming", Row::WriteMemory, 0, 3, 0, 0},
        {"reserved row", Row::Routine19 + 2, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        dlg.blockIndex = c.block;
        dlg.sessionStage = Stage(c.stage);
        dlg.tagIndex = c.tag;
        dlg.lastBaseTag = dlg.lastUpperTag = c.lastTag;
        dlg.scheduler.awaitingResponse = 0;
        EXPECT_TRUE(Send(c.row).empty()) << c.what;
        EXPECT_EQ(dlg.scheduler.awaitingResponse, 1) << c.what;
    }
}

TEST_F(SendRequestTest, ATagWhoseLengthByteExceedsTheSlotIsNotSent) {
    dlg.BaseContainer[0] = {0xFF, 0x3D};
    dlg.lastBaseTag = 0;
    dlg.tagIndex = 0;
    dlg.sessionStage = Stage::BaseProgramming;
    EXPECT_TRUE(Send(Row::WriteMemory).empty());
}

}  // namespace
