#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "session/Response.h"

// Writes back the next record that was read completely; when none is left the upper area is next.
void CFlashDlg::ScheduleNextRestoreWrite() {
    for (int row = Row::FirstWrite; row <= Row::LastWrite; ++row) {
        if (row == Row::WriteHistory) continue;
        const SnapshotRecord* record = RecordForWriteRow(row);
        if (record == nullptr || record->markIndex < 0) continue;
        int32_t& mark = savedMarks[static_cast<size_t>(record->markIndex)];
        if (mark != 1) continue;
        mark = 0;
        MakePending(row);
        return;
    }
    RecordJournalProgress(JournalProgress::WriteBackFinished);
    MakePending(Row::Routine09);
    SetSessionStage(Stage::UpperProgramming, "the write-back has ended");
}

void CFlashDlg::SkipRestoreWrite() {
    for (int row = Row::FirstWrite; row <= Row::LastWrite; ++row) {
        if (row == Row::WriteHistory || !IsPending(row)) continue;
        Withdraw(row);
        // A block record left in the middle must not leave the next one starting mid-way.
        if (const SnapshotRecord* record = RecordForWriteRow(row); record != nullptr && record->blockCount != 0)
            blockIndex = 0;
        return;
    }
}

// The ECU took one write of the restore pass.
void CFlashDlg::OnWriteReply(const Response& response) {
    const uint8_t id = response.Parameter();
    // The write this answers: the pending one of this identifier (sub-identifier rows in row order).
    const SnapshotRecord* record = nullptr;
    for (int row = Row::FirstWrite; row <= Row::LastWrite && record == nullptr; ++row) {
        if (row == Row::WriteHistory || !IsPending(row) || requestTable[static_cast<size_t>(row)].body[2] != id)
            continue;
        record = RecordForWriteRow(row);
    }
    if (record == nullptr) return;  // an answer to nothing asked

    if (record->blockCount != 0) {
        const int next = NextBlock(*record, blockIndex);
        if (next < record->blockCount) {
            blockIndex = static_cast<uint8_t>(next);
            return;  // the row stays pending for the next block
        }
        Withdraw(record->writeRow);
        blockIndex = 0;
        if (record->writeRow == Row::WriteLocal24) {
            MakePending(Row::Routine0F);  // the routine's answer continues the pass
            return;
        }
        ScheduleNextRestoreWrite();
        return;
    }

    Withdraw(record->writeRow);
    if (record->writeRow == Row::WriteLocal12) SetStatusText(Text::WritingEcuData);
    // Ready for the block records that follow them.
    if (record->writeRow == Row::WriteLocal17 || record->writeRow == Row::WriteLocal23) blockIndex = 0;
    ScheduleNextRestoreWrite();
}
