#include <cstring>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/ReadChain.h"
#include "ecu/RecordRepairs.h"
#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "link/ServiceIds.h"
#include "session/Response.h"

namespace {

// Stores of the chain up to 21 85 step the busy indicator, but for the sub-identifier reads of
// 21 1E, 21 1F and 21 7C (21 BE, read last, comes after 21 85).
bool StepsIndicator(int readRow) {
    switch (readRow) {
    case Row::ReadLocalBE:
    case Row::ReadLocal1E00:
    case Row::ReadLocal1E01:
    case Row::ReadLocal1F02:
    case Row::ReadLocal7C: return false;
    default: return readRow >= Row::ReadIdent40 && readRow <= Row::ReadLocal85;
    }
}

}  // namespace

// A reply to one of the snapshot's reads: stored into its record, and the next read asked for.
void CFlashDlg::OnSnapshotReadReply(const Response& response) {
    // Read in stage 0 only: later the ECU holds what an erase left, never to be saved.
    if (sessionStage != Stage::Identification) return;
    const uint8_t service =
        response.Service() == Positive(Sid::ReadIdentification) ? Sid::ReadIdentification : Sid::ReadLocalData;
    const uint8_t id = response.Parameter();

    // The record this reply answers: the one whose read of this identifier is pending.
    const SnapshotRecord* record = nullptr;
    for (const SnapshotRecord& r : SnapshotRecords()) {
        const uint8_t* read = requestTable[static_cast<size_t>(r.readRow)].body;
        if (read[1] == service && read[2] == id && IsPending(r.readRow)) {
            record = &r;
            break;
        }
    }
    if (record == nullptr) {
        // A reply to 21 B8 or 21 B1 when none of their reads is pending moves the chain on.
        if (service == Sid::ReadLocalData && id == 0xB8) MakePending(Row::ReadLocalB100);
        if (service == Sid::ReadLocalData && id == 0xB1) MakePending(Row::ReadLocalBA);
        return;  // an answer to nothing asked
    }
    if (record->readRow == Row::ReadLocalBD00 && response.Data(1) != 0) return;  // not the 00 record: asked again

    uint8_t* field = FieldOf(ecuDataSnapshot, *record);
    const size_t replyStart = 3u + record->replyOffset;
    const uint8_t* data = response.Bytes(replyStart, record->width);
    if (data == nullptr) return;  // never: the gate let the answer through whole

    if (record->blockCount != 0) {
        const uint8_t block = blockIndex;
        // Where the reply echoes the block number, an answer to another block is not stored.
        if (record->replyOffset == 1 && response.Data(1) != block) return;
        const size_t at = size_t{block} * record->width;
        if (block >= record->blockCount || at + record->width > record->fieldSize) return;
        std::memcpy(field + at, data, record->width);
        StepBusyIndicator();
        const int next = NextBlock(*record, block);
        if (next < record->blockCount) {
            blockIndex = static_cast<uint8_t>(next);
            return;  // the read stays pending for the next block
        }
        blockIndex = 0;
    } else {
        std::memcpy(field, data, record->width);
        if (record->readRow == Row::ReadLocal17) RepairRecord17(field);
        if (record->readRow == Row::ReadLocal33) RepairRecord33(field);
        if (record->readRow == Row::ReadIdent40) SetStatusText(Text::ReadingEcuData);
        if (StepsIndicator(record->readRow)) StepBusyIndicator();
    }

    Withdraw(record->readRow);
    if (record->markIndex >= 0) savedMarks[static_cast<size_t>(record->markIndex)] = 1;
    MakePending(NextInReadChain(record->readRow));
}
