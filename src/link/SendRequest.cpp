#include <algorithm>
#include <cstring>

#include "app/CFlashDlg.h"
#include "ecu/SnapshotRecords.h"
#include "link/Framing.h"
#include "platform/SerialPort.h"

namespace {

bool IsBlockReadRow(int32_t row) {
    const SnapshotRecord* record = RecordForReadRow(row);
    return record != nullptr && record->blockCount != 0;
}

// Copies the saved data of a write row's record into the row; false when the block number
// does not address a block of the record.
bool CompleteWriteRow(uint8_t (&body)[256], const SnapshotRecord& record, const EcuDataSnapshot& snapshot,
                      uint8_t blockIndex) {
    const uint8_t* field = FieldOf(snapshot, record);
    uint8_t* data = body + record.writeDataOffset;
    if (record.blockCount != 0) {
        const std::size_t start = std::size_t{blockIndex} * record.width;
        if (blockIndex >= record.blockCount || start + record.width > record.fieldSize) return false;
        body[3] = blockIndex;
        std::memcpy(data, field + start, record.width);
        return true;
    }
    const std::size_t rowDataCount = body[0] - record.writeDataOffset;
    if (record.recordSumAfter) {
        // All saved bytes, then their sum; the row has room for exactly that.
        std::memcpy(data, field, record.width);
        RecordSum(data, static_cast<uint8_t>(record.width));
        return true;
    }
    // The row carries its own length: a record stored wider than the row sends its first bytes.
    std::memcpy(data, field, std::min<std::size_t>(rowDataCount, record.width));
    return true;
}

}  // namespace

// Completes the row's variable bytes, frames it and writes it. A row that cannot be completed
// safely is not sent; it stays pending and the response time-out tries it again.
bool CFlashDlg::SendRequest(int32_t row) {
    scheduler.awaitingResponse = 1;
    scheduler.responseTimeoutTicks = 0;  // a request sent between ticks waits its full time too
    if (row < 0 || row >= kRequestRowCount) return false;
    uint8_t(&body)[256] = requestTable[static_cast<size_t>(row)].body;

    if (row == Row::WriteMemory) {
        const Stage stage = sessionStage;
        if (stage == Stage::BaseProgramming || stage == Stage::UpperProgramming) {
            const bool base = stage == Stage::BaseProgramming;
            const FlashContainer& container = base ? BaseContainer : UpperContainer;
            const int32_t lastTag = base ? lastBaseTag : lastUpperTag;
            const int32_t tag = tagIndex;
            if (tag < 0 || tag > lastTag || tag >= kContainerSlots) return false;
            const FlashTag& flashTag = container[static_cast<size_t>(tag)];
            const uint8_t length = flashTag[0];
            if (length > kFlashTagSize) return false;
            std::memcpy(body, flashTag.data(), length);
        }
    } else if (IsBlockReadRow(row)) {
        body[3] = blockIndex;
    } else if (row == Row::KeyLevel5 || row == Row::KeyLevel7) {
        const uint16_t key = securityKey;
        body[3] = static_cast<uint8_t>(key >> 8);
        body[4] = static_cast<uint8_t>(key & 0xFF);
    } else if (const SnapshotRecord* record = RecordForWriteRow(row)) {
        if (!CompleteWriteRow(body, *record, ecuDataSnapshot, blockIndex)) return false;
    }

    // Reserved rows, and the memory write before any tag was placed in it, hold no frame.
    if (body[0] < 2) return false;
    lastSentRow = row;
    FrameChecksum(body);
    return platform.port.Write(body, std::size_t{body[0]} + 1u);
}
