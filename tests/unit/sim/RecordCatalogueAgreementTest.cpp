// The ECU's records agree with the program's snapshot table and request rows: same widths, block
// counts, reply positions and write lengths, so a real ECU and the model are interchangeable.
#include <gtest/gtest.h>

#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "sim/RecordCatalogue.h"

namespace {

const sim::RecordLayout* CatalogueEntryFor(int readRow) {
    const uint8_t* body = RequestTable[readRow].body;
    for (const sim::RecordLayout& r : sim::RecordCatalogue()) {
        if (r.readService != body[1] || r.id != body[2]) continue;
        if (r.addressing == sim::Addressing::Sub && (body[0] != 4 || r.sub != body[3])) continue;
        return &r;
    }
    return nullptr;
}

TEST(RecordCatalogueAgreement, EverySnapshotRecordIsAnEcuRecordWithTheSameLayout) {
    ASSERT_EQ(SnapshotRecords().size(), sim::RecordCatalogue().size());
    for (const SnapshotRecord& program : SnapshotRecords()) {
        SCOPED_TRACE("read row " + std::to_string(program.readRow));
        const sim::RecordLayout* ecu = CatalogueEntryFor(program.readRow);
        ASSERT_NE(ecu, nullptr);
        EXPECT_EQ(ecu->width, program.width);
        EXPECT_EQ(ecu->blockCount, program.blockCount);
        EXPECT_EQ(ecu->addressing == sim::Addressing::Block, program.blockCount != 0);
        // D1: data right after the identifier; D2: one byte later.
        EXPECT_EQ(ecu->form == sim::ReplyForm::Data ? 0 : 1, program.replyOffset);
        const int writeLength = RequestTable[program.writeRow].body[0] - program.writeDataOffset;
        EXPECT_EQ(writeLength, ecu->writeLength + (ecu->writeSum ? 1 : 0));
        EXPECT_EQ(ecu->writeSum, program.recordSumAfter);
        EXPECT_EQ(RequestTable[program.writeRow].body[2], ecu->id);
    }
}

}  // namespace
