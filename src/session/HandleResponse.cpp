#include <cstdio>
#include <string>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "link/ServiceIds.h"
#include "platform/DialogHost.h"
#include "platform/SerialPort.h"
#include "session/Response.h"
#include "session/ValidateResponse.h"

// Entered on the receive thread for every whole frame; the frame is in rxBuffer. The gate judges
// it first: only the answer to the request outstanding, whole for its layout, reaches a handler.
// Clearing awaitingResponse last lets the scheduler send again.
void CFlashDlg::HandleResponse() {
    const std::span<const uint8_t> frame(rxBuffer.data(), rxCount);
    OutstandingRequest outstanding = OutstandingFor(lastSentRow);
    outstanding.awaited = scheduler.awaitingResponse != 0;
    outstanding.memoryWriteAnswerDue = finalAnswerDue != 0;
    const ResponseVerdict verdict = ValidateResponse(frame, outstanding);
    if (verdict != ResponseVerdict::Accepted) NoteDroppedResponse(verdict, frame);

    switch (verdict) {
    case ResponseVerdict::Accepted: {
        // Only the memory write's own answer ends the wait for its final answer.
        if (AnsweredService(frame) == Sid::WriteMemory) finalAnswerDue = 0;
        const Response response(rxBuffer.data(), rxBuffer[0]);
        scheduler.handlingResponse = 1;
        HandleByService(response);
        scheduler.handlingResponse = 0;
        break;
    }
    case ResponseVerdict::UnknownService:
        // Not an answer of ours: whatever else is on the line goes with it.
        platform.port.Purge();
        break;
    case ResponseVerdict::TooShortForLayout: break;  // the request goes out again at once
    default: return;                                 // the request waits on for its answer, or for its time-out
    }
    scheduler.awaitingResponse = 0;
    platform.host.RequestDispatch();
}

void CFlashDlg::NoteDroppedResponse(ResponseVerdict verdict, std::span<const uint8_t> frame) {
    ++droppedResponses[static_cast<std::size_t>(verdict)];
    if (!traceNote) return;
    std::string note = std::string("frame dropped (") + VerdictName(verdict) + "):";
    char hex[4];
    for (uint8_t b : frame) {
        std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned>(b));
        note += hex;
    }
    traceNote(note);
}

void CFlashDlg::HandleByService(const Response& response) {
    const uint8_t service = response.Service();

    switch (service) {
    case Positive(Sid::StartSession): OnSessionStarted(response); break;
    case Positive(Sid::EcuReset): OnEcuResetDone(); break;
    case Positive(Sid::ClearDiagnostics):
        Withdraw(Row::ClearDiagnostics);
        RecordJournalProgress(JournalProgress::Finished);
        FinishWithStatus(Text::FinishedOk);
        break;
    case Positive(Sid::ReadIdentification): OnSnapshotReadReply(response); break;
    case Positive(Sid::StopSession): OnStopSessionDone(); break;
    case Positive(Sid::ReadLocalData):
        switch (response.Parameter()) {
        case LocalId::Checksum: OnChecksumReply(response); break;
        case LocalId::SoftwareDate: OnDateReply(response); break;
        case LocalId::SoftwareTime: OnTimeReply(response); break;
        case LocalId::SoftwareVersion: OnVersionReply(response); break;
        case LocalId::ModelCode: ApplyModelPolicy(response); break;
        default: OnSnapshotReadReply(response); break;
        }
        break;
    case Positive(Sid::SecurityAccess): OnSecurityAccess(response); break;
    case Positive(Sid::StartRoutine): OnRoutineStarted(response); break;
    case Positive(Sid::WriteLocalData):
        if (response.Parameter() == LocalId::History)
            OnHistoryWriteReply();
        else
            OnWriteReply(response);
        StepBusyIndicator();
        break;
    case Positive(Sid::WriteMemory): OnWriteMemoryReply(response); break;
    case kNegativeAnswer: HandleNegativeResponse(response); break;
    case kAdapterAnswer: OnInterfaceAnswer(response); break;
    default: break;  // the gate lets no other service through
    }
}
