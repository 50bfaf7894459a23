#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "platform/DialogHost.h"
#include "platform/SerialPort.h"
#include "session/Response.h"

namespace {

namespace Sid {
constexpr uint8_t SessionStarted = 0x50;
constexpr uint8_t EcuReset = 0x51;
constexpr uint8_t DiagnosticsCleared = 0x54;
constexpr uint8_t Identification = 0x5A;
constexpr uint8_t SessionStopped = 0x60;
constexpr uint8_t LocalData = 0x61;
constexpr uint8_t SecurityAccess = 0x67;
constexpr uint8_t RoutineStarted = 0x71;
constexpr uint8_t LocalDataWritten = 0x7B;
constexpr uint8_t MemoryWritten = 0x7D;
constexpr uint8_t Negative = 0x7F;
constexpr uint8_t InterfaceAnswer = 0xD0;
} // namespace Sid

// The shortest frame (bytes before the checksum) each known response needs for its layout.
std::size_t ShortestFrame(uint8_t service) {
    switch (service) {
    case Sid::EcuReset:
    case Sid::DiagnosticsCleared:
    case Sid::SessionStopped:
        return 2;
    case Sid::SessionStarted:
    case Sid::Identification:
    case Sid::LocalData:
    case Sid::SecurityAccess:
    case Sid::RoutineStarted:
    case Sid::LocalDataWritten:
        return 3;
    case Sid::Negative:
        return 4;
    case Sid::MemoryWritten:
        return 5;
    case Sid::InterfaceAnswer:
        return 6;
    default:
        return 2;
    }
}

} // namespace

// Entered on the receive thread for every complete response with a correct checksum; the
// response is in rxBuffer. Clearing awaitingResponse last lets the scheduler send again.
void CFlashDlg::HandleResponse() {
    const Response response(rxBuffer.data(), rxBuffer[0]);
    const uint8_t service = response.Service();
    scheduler.handlingResponse = 1;
    // Too short for its layout: handled like a garbled frame, the request goes out again.
    if (response.Has(ShortestFrame(service))) HandleByService(response);
    scheduler.handlingResponse = 0;
    scheduler.awaitingResponse = 0;
    platform.host.RequestDispatch();
}

void CFlashDlg::HandleByService(const Response& response) {
    const uint8_t service = response.Service();

    switch (service) {
    case Sid::SessionStarted:
        OnSessionStarted(response);
        break;
    case Sid::EcuReset:
        OnEcuResetDone();
        break;
    case Sid::DiagnosticsCleared:
        Withdraw(Row::ClearDiagnostics);
        RecordJournalProgress(JournalProgress::Finished);
        FinishWithStatus(Text::FinishedOk);
        break;
    case Sid::Identification:
        OnSnapshotReadReply(response);
        break;
    case Sid::SessionStopped:
        OnStopSessionDone();
        break;
    case Sid::LocalData:
        switch (response.Parameter()) {
        case 0x83: OnChecksumReply(response); break;
        case 0x60: OnDateReply(response); break;
        case 0x61: OnTimeReply(response); break;
        case 0x64: OnVersionReply(response); break;
        case 0xAC: ApplyModelPolicy(response); break;
        default: OnSnapshotReadReply(response); break;
        }
        break;
    case Sid::SecurityAccess:
        OnSecurityAccess(response);
        break;
    case Sid::RoutineStarted:
        OnRoutineStarted(response);
        break;
    case Sid::LocalDataWritten:
        if (response.Parameter() == 0x69)
            OnHistoryWriteReply();
        else
            OnWriteReply(response);
        StepBusyIndicator();
        break;
    case Sid::MemoryWritten:
        OnWriteMemoryReply(response);
        break;
    case Sid::Negative:
        HandleNegativeResponse(response);
        break;
    case Sid::InterfaceAnswer:
        OnInterfaceAnswer(response);
        break;
    default:
        // Not an answer of ours: whatever else is on the line goes with it.
        platform.port.Purge();
        break;
    }
}
