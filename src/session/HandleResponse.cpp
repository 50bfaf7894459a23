#include "app/CFlashDlg.h"
#include "link/RequestTable.h"

namespace {

constexpr uint8_t kInterfaceAnswer = 0xD0;

} // namespace

// Entered on the receive thread for every complete response with a correct checksum; the
// response is in rxBuffer. Clearing awaitingResponse last lets the scheduler send again.
void CFlashDlg::HandleResponse() {
    switch (rxBuffer[1]) {
    case kInterfaceAnswer: {
        scheduler.pendingFlags[Row::InterfaceVersion] = 0;
        dongleVersion = 100 * (rxBuffer[3] & 0x0F) + 10 * (rxBuffer[4] & 0x0F) + (rxBuffer[5] & 0x0F);
        // After a reset the adapter's answer is what moves the run on to its next stage.
        switch (sessionStage) {
        case 1:
            scheduler.pendingFlags[Row::ModelCode] = 1;
            sessionStage = 2;
            break;
        case 2: sessionStage = 3; break;
        case 3: sessionStage = 4; break;
        case 4: sessionStage = 5; break;
        case 5:
            scheduler.pendingFlags[Row::ModelCode] = 1;
            sessionStage = 6;
            break;
        default: break;
        }
        break;
    }
    default:
        break;
    }
    scheduler.awaitingResponse = 0;
}
