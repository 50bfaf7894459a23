#include "app/CFlashDlg.h"
#include "link/RequestTable.h"
#include "platform/Clock.h"
#include "session/Response.h"

namespace {

constexpr uint8_t kDiagnosticSession = 0x84;
constexpr uint8_t kProgrammingSession = 0x85;
constexpr uint32_t kAdapterSwitchMs = 400;  // the adapter runs at the high speed this long after the command
constexpr uint32_t kSettleMs = 100;

}  // namespace

// Switches the adapter, then this side, to 38400 baud. False when the link stopped meanwhile.
bool CFlashDlg::ChangeLineSpeed() {
    SendSpeedSwitch();
    if (!platform.clock.Sleep(kAdapterSwitchMs)) return false;
    SetLineSpeed(1);
    return platform.clock.Sleep(kSettleMs);
}

void CFlashDlg::OnSessionStarted(const Response& response) {
    switch (response.Parameter()) {
    case kDiagnosticSession:
        Withdraw(Row::StartSession84);
        switch (sessionStage) {
        case Stage::Identification:
            if (!ChangeLineSpeed()) break;
            snapshotReading = 1;
            MakePending(Row::ReadIdent40);
            break;
        case Stage::BaseVerification:
            if (ChangeLineSpeed()) MakePending(Row::BaseChecksum);
            break;
        case Stage::Restore:
            // Reached only after a reset out of the base check: the restore work follows.
            MakePending(Row::Routine0D);
            break;
        case Stage::RestoreAfterReset: ScheduleNextRestoreWrite(); break;
        case Stage::UpperProgramming:
            if (ChangeLineSpeed()) MakePending(Row::Routine09);
            break;
        case Stage::Completion: MakePending(Row::ReadVersion); break;
        default: break;
        }
        break;
    case kProgrammingSession:
        Withdraw(Row::StartSession85);
        tagIndex = 0;
        MakePending(Row::WriteMemory);
        break;
    default: break;
    }
}

void CFlashDlg::OnStopSessionDone() {
    Withdraw(Row::StopSession);
    if (sessionStage == Stage::BaseProgramming)
        ResetEcu(resetByService);
    else if (sessionStage == Stage::Completion)
        MakePending(Row::ClearDiagnostics);
}
