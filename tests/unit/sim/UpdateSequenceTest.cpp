// A whole successful update, in the order the program makes it, with the program's request rows:
// the model accepts every step, programs both areas, reports the right checksums, objects to
// nothing, and ends with every record as it was but for the read repairs and the history.
#include <gtest/gtest.h>

#include <cstring>

#include "SimHarness.h"
#include "ecu/EcuDataSnapshot.h"
#include "ecu/SnapshotRecords.h"
#include "firmware/Crc16CcittFalse.h"
#include "link/Framing.h"
#include "link/RequestTable.h"
#include "sim/RecordCatalogue.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RowPayload(int row) {
    const uint8_t* body = RequestTable[row].body;
    return Bytes(body + 1, body + body[0]);
}

Bytes TagPayload(uint32_t address, const Bytes& data) {
    Bytes p(5 + data.size());
    p[0] = 0x3D;
    p[1] = static_cast<uint8_t>(address >> 16);
    p[2] = static_cast<uint8_t>(address >> 8);
    p[3] = static_cast<uint8_t>(address);
    p[4] = static_cast<uint8_t>(data.size());
    std::copy(data.begin(), data.end(), p.begin() + 5);
    return p;
}

struct Image {
    std::vector<std::pair<uint32_t, Bytes>> baseTags, upperTags;  // the last upper tag is the end tag
    Bytes base = Bytes(0x20000, 0xFF), upper = Bytes(0x20000, 0xFF);

    void Add(uint32_t address, Bytes data) {
        Bytes& area = address < 0x20000 ? base : upper;
        std::copy(data.begin(), data.end(), area.begin() + (address % 0x20000));
        (address < 0x20000 ? baseTags : upperTags).emplace_back(address, std::move(data));
    }
};

Image NewFirmware() {
    Image image;
    Bytes code(192);
    for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<uint8_t>(i * 7);
    image.Add(0x000000, code);
    Bytes info(192, 0xFF);
    const char block[] =
        "Sep 29 2011\0"
        "14:02:37\0"
        "477E\0\x00\x01";
    std::memcpy(info.data(), block, sizeof block - 1);
    image.Add(0x000100, info);
    image.Add(0x01FF40, code);
    image.Add(0x020000, code);
    image.Add(0x02A000, code);
    image.Add(0x03FF40, Bytes(192, 0x5A));  // end tag
    return image;
}

class UpdateSequence : public ::testing::Test {
protected:
    SimHarness host;
    EcuDataSnapshot snapshot{};
    Image image = NewFirmware();

    void ExpectPositive(const Bytes& request) {
        const auto answer = host.Ask(request);
        ASSERT_TRUE(answer.has_value()) << "no answer to " << std::hex << int(request[0]);
        ASSERT_EQ((*answer)[0], request[0] + 0x40)
            << "refused " << std::hex << int(request[0]) << " " << int(request[1]) << " code " << int(answer->back());
    }
    void Accept(int row) { ExpectPositive(RowPayload(row)); }

    void AdapterVersion() { ASSERT_EQ(host.Ask({0x90}), (Bytes{0xD0, 0x00, '1', '2', '3'})); }
    void SpeedChange() {
        host.SendRaw({0x02, 0x94, 0x96});
        host.Wait(400);
        host.hostBaud = 38400;
        host.Wait(100);
    }
    void Unlock(int level) { host.Unlock(level); }
    void ResetAndReconnect() {
        Accept(Row::EcuReset);
        host.hostBaud = 9600;
        host.Wait(3300);
        AdapterVersion();
    }

    void ReadSnapshot() {
        std::vector<int> order;
        for (int row = 4; row <= 26; ++row) order.push_back(row);
        for (int row = 28; row <= 46; ++row) order.push_back(row);
        for (int row = 48; row <= 52; ++row) order.push_back(row);
        for (int row = 56; row <= 86; ++row) order.push_back(row);
        order.push_back(47);
        for (int row : order) {
            const SnapshotRecord* record = RecordForReadRow(row);
            ASSERT_NE(record, nullptr);
            for (unsigned block = 0; block < std::max<unsigned>(record->blockCount, 1); ++block) {
                if (record->readRow == Row::ReadLocal39 && block >= 64 && block < 128) continue;
                Bytes request = RowPayload(row);
                if (record->blockCount) request[2] = static_cast<uint8_t>(block);
                const auto answer = host.Ask(request);
                ASSERT_TRUE(answer && (*answer)[0] == request[0] + 0x40) << "read row " << row;
                const std::size_t from = 2 + record->replyOffset;
                ASSERT_EQ(answer->size(), from + record->width) << "read row " << row;
                if (row == 86) {
                    ASSERT_EQ((*answer)[2], 0) << "21 BD status";
                }
                uint8_t* stored = FieldOf(snapshot, *record) + block * record->width;
                std::memcpy(stored, answer->data() + from, record->width);
                RepairOnRead(row, stored);
            }
        }
    }

    // What the program mends in 21 17 and 21 33 as it stores them.
    static void RepairOnRead(int row, uint8_t* r) {
        if (row == 31) {
            if (r[2] == 0 && r[3] == 0) {
                r[2] = r[0];
                r[3] = r[1];
            }
            if (r[5] == 0) r[5] = r[4];
        }
        if (row == 48) {
            r[4] = r[6] = 0xFF;
            r[9] = ByteSum(r, 9);
        }
    }

    // The program's slot: the first entry whose day byte is not 01..31 (entry 9 when 0-8 are used);
    // the entry after it is emptied.
    int AddHistoryEntry(const Bytes& entry) {
        const auto used = [&](int e) { return snapshot.local69[e * 16] >= 0x01 && snapshot.local69[e * 16] <= 0x31; };
        int slot = 0;
        while (slot < 9 && used(slot)) ++slot;
        std::memcpy(snapshot.local69.data() + slot * 16, entry.data(), 16);
        std::fill_n(snapshot.local69.begin() + (slot + 1) % 10 * 16, 16, 0);
        return slot;
    }

    // Each write row with the record as read; 0x17 and 0x7C with the sum of the data.
    void RestoreSnapshot() {
        for (int row = Row::FirstWrite; row <= Row::LastWrite; ++row) {
            if (row == Row::WriteHistory) continue;
            const SnapshotRecord* record = RecordForWriteRow(row);
            ASSERT_NE(record, nullptr);
            for (unsigned block = 0; block < std::max<unsigned>(record->blockCount, 1); ++block) {
                if (record->writeRow == Row::WriteLocal39 && block >= 64 && block < 128) continue;
                uint8_t body[256];
                std::memcpy(body, RequestTable[row].body, sizeof body);
                const uint8_t* field = FieldOf(snapshot, *record);
                const int room = body[0] - record->writeDataOffset - (record->recordSumAfter ? 1 : 0);
                if (record->blockCount) body[3] = static_cast<uint8_t>(block);
                std::memcpy(body + record->writeDataOffset, field + block * record->width, room);
                if (record->recordSumAfter) RecordSum(body + 3, static_cast<uint8_t>(room));
                ExpectPositive(Bytes(body + 1, body + body[0]));
            }
            if (record->readRow == 41) Accept(Row::Routine0F);
        }
    }

    void WriteHistory() {
        for (uint8_t block = 0; block < 10; ++block) {
            Bytes request = RowPayload(Row::WriteHistory);
            request[2] = block;
            std::copy_n(snapshot.local69.begin() + block * 16, 16, request.begin() + 3);
            ExpectPositive(request);
        }
    }

    void WriteTags(const std::vector<std::pair<uint32_t, Bytes>>& tags, std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const auto& [address, data] = tags[i];
            host.Send(TagPayload(address, data));
            auto answer = host.NextAnswer();
            if (answer == Bytes{0x7F, 0x3D, 0x78}) answer = host.NextAnswer();
            const Bytes echo{0x7D, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
                             static_cast<uint8_t>(address)};
            ASSERT_EQ(answer, echo);
        }
    }

    Bytes Checksum(uint8_t area) {
        const auto answer = host.Ask(RowPayload(area == 0 ? Row::BaseChecksum : Row::UpperChecksum));
        return answer.value_or(Bytes{});
    }
};

Bytes CrcAnswer(const Bytes& area) {
    const uint16_t crc = Crc16CcittFalse(area.data(), area.size());
    return {0x61, 0x83, static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
}

TEST_F(UpdateSequence, WholeUpdateIsAcceptedAndLeavesRecordsAsTheyWere) {
    // Stage 0: identification, level 5, session 0x84, snapshot, routine 0x09.
    AdapterVersion();
    for (int row : {Row::ReadDate, Row::ReadTime, Row::ReadVersion, Row::ModelCode}) Accept(row);
    Unlock(5);
    Accept(Row::StartSession84);
    SpeedChange();
    ReadSnapshot();
    Accept(Row::Routine09);
    // Stage 1: level 7, programming session, base tags, stop, reset.
    Unlock(7);
    Accept(Row::StartSession85);
    WriteTags(image.baseTags, 0, image.baseTags.size());
    Accept(Row::StopSession);
    ResetAndReconnect();
    // Stage 2: model code, level 5, session 0x84, base checksum.
    Accept(Row::ModelCode);
    Unlock(5);
    Accept(Row::StartSession84);
    SpeedChange();
    EXPECT_EQ(Checksum(0), CrcAnswer(image.base));
    // Stage 3: routines, version, history, restore.
    for (int row : {Row::Routine0D, Row::Routine04, Row::Routine06, Row::ReadVersion}) Accept(row);
    Bytes entry{0x07, 0x03, 0x26, '4', '7', '7', 'E', 't', 'e', 's', 't', 'e', 'r', 0, 0, 0};
    const int slot = AddHistoryEntry(entry);
    EXPECT_GT(slot, 0) << "the ECU's history holds earlier updates";
    EXPECT_LT(slot, 9) << "and free entries";
    WriteHistory();
    RestoreSnapshot();
    // Stage 5: routine 0x09, level 7, programming session, upper tags, checksum, end tag, reset.
    Accept(Row::Routine09);
    Unlock(7);
    Accept(Row::StartSession85);
    WriteTags(image.upperTags, 0, image.upperTags.size() - 1);
    Bytes upperBeforeEndTag = image.upper;
    std::fill_n(upperBeforeEndTag.end() - 192, 192, 0xFF);
    EXPECT_EQ(Checksum(1), CrcAnswer(upperBeforeEndTag));
    WriteTags(image.upperTags, image.upperTags.size() - 1, image.upperTags.size());
    ResetAndReconnect();
    // Stage 6: model code, level 5, session 0x84 without speed change, version, history, stop, clear.
    const auto model = host.Ask(RowPayload(Row::ModelCode));
    EXPECT_EQ(model, (Bytes{0x61, 0xAC, 0x00, 0x00, 0x01}));
    Unlock(5);
    Accept(Row::StartSession84);
    EXPECT_EQ(host.Ask(RowPayload(Row::ReadVersion)), (Bytes{0x61, 0x64, '4', '7', '7', 'E', 0}));
    WriteHistory();
    Accept(Row::StopSession);
    EXPECT_FALSE(host.sim.UpdateFinished());
    Accept(Row::ClearDiagnostics);
    EXPECT_TRUE(host.sim.UpdateFinished());

    const sim::RunReport report = host.sim.Report();
    EXPECT_EQ(report.violations, std::vector<std::string>{});
    // Only the repairs on reading and the new history entry changed anything.
    std::vector<std::string> changed;
    for (const auto& change : report.changedRecords) {
        changed.push_back(change.record);
        Bytes repaired = change.atStart;
        if (change.record == "21 17") RepairOnRead(31, repaired.data());
        if (change.record == "21 33") RepairOnRead(48, repaired.data());
        if (change.record != "21 69") {
            EXPECT_NE(repaired, change.atStart) << change.record << ": the repair had work to do";
            EXPECT_EQ(change.now, repaired) << change.record;
        }
    }
    EXPECT_EQ(changed, (std::vector<std::string>{"21 17", "21 33", "21 69"}));
    EXPECT_EQ(report.history[slot], entry);
    EXPECT_EQ(report.history[slot + 1], Bytes(16, 0));
    EXPECT_EQ(report.date, "Sep 29 2011");
    EXPECT_EQ(report.version, "477E");
    EXPECT_EQ(report.areas[0].crc, Crc16CcittFalse(image.base.data(), image.base.size()));
    EXPECT_EQ(report.areas[1].crc, Crc16CcittFalse(image.upper.data(), image.upper.size()));
    EXPECT_TRUE(report.areas[0].erased && report.areas[1].erased);
    EXPECT_TRUE(report.diagnosticsCleared);
    EXPECT_EQ(report.requestsPerService.at(0x3D), image.baseTags.size() + image.upperTags.size());
    EXPECT_EQ(report.garbledBytes, 0u);
    EXPECT_EQ(report.badFrames, 0u);
    const auto flash = host.sim.FlashContents();
    EXPECT_TRUE(std::equal(image.base.begin(), image.base.end(), flash.begin()));
    EXPECT_TRUE(std::equal(image.upper.begin(), image.upper.end(), flash.begin() + 0x20000));
}

TEST_F(UpdateSequence, SkippedRestoreLeavesFactoryRecordsInTheReport) {
    AdapterVersion();
    Unlock(5);
    Accept(Row::StartSession84);
    SpeedChange();
    Unlock(7);
    Accept(Row::StartSession85);
    WriteTags(image.baseTags, 0, 1);
    const sim::RunReport report = host.sim.Report();
    // Every record went back to its factory value, in every byte but the read-only tail of 1A 4C
    // and the gap of 21 39; the history's free entries may equal an empty one.
    EXPECT_EQ(report.changedRecords.size(), sim::RecordCatalogue().size());
    for (const auto& change : report.changedRecords) {
        if (change.record == "21 69" || change.record == "21 39") continue;
        const std::size_t writable = change.atStart.size() - (change.record == "1A 4C" ? 6 : 0);
        for (std::size_t i = 0; i < writable; ++i)
            EXPECT_NE(change.now[i], change.atStart[i]) << change.record << " byte " << i;
    }
}

}  // namespace
