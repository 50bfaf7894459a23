#include "SessionTest.h"

#include "link/RequestTable.h"

void SessionTest::AnswerTo(CFlashDlg& dlg, std::initializer_list<uint8_t> payload) {
    std::vector<uint8_t> frame{static_cast<uint8_t>(payload.size() + 1)};
    frame.insert(frame.end(), payload);
    uint8_t sum = 0;
    for (uint8_t b : frame) sum = static_cast<uint8_t>(sum + b);
    frame.push_back(sum);
    dlg.scheduler.awaitingResponse = 1;
    // As if the request this answers had just been sent: a pending row of the service answered,
    // else a row of the table that asks for what the answer carries.
    const uint8_t service = *payload.begin();
    const bool negative = service == 0x7F;
    const uint8_t answered = negative ? *(payload.begin() + 1) : static_cast<uint8_t>(service - 0x40);
    const int parameter = !negative && payload.size() > 1 ? *(payload.begin() + 1) : -1;
    const auto asks = [&](int row) {
        return ServiceOfRow(row) == answered &&
               (parameter < 0 || row == Row::WriteMemory || row == Row::InterfaceVersion ||
                RequestTable[size_t(row)].body[2] == parameter);
    };
    std::vector<int> candidates = PendingRowsOf(dlg);
    for (int row = 0; row < kRequestRowCount; ++row) candidates.push_back(row);
    for (int row : candidates) {
        if (asks(row)) {
            dlg.lastSentRow = row;
            break;
        }
    }
    dlg.AssembleResponse(frame.data(), static_cast<uint32_t>(frame.size()));
}

std::vector<int> SessionTest::PendingRowsOf(const CFlashDlg& dlg) {
    std::vector<int> rows;
    for (int row = 0; row < kRequestRowCount; ++row)
        if (dlg.scheduler.pendingFlags[static_cast<size_t>(row)] == 1) rows.push_back(row);
    return rows;
}
