#include <cstdio>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "link/ServiceIds.h"
#include "platform/DialogHost.h"
#include "session/ReadSkipOrder.h"
#include "session/Response.h"

namespace {

bool IsBlockRecordRow(int row) {
    const SnapshotRecord* record = RecordForReadRow(row);
    return record != nullptr && record->blockCount != 0;
}

}  // namespace

// A refusal steers the run where the ECU is known to refuse (optional reads, a second key, busy
// and pending answers); any other code ends the run after offering a debug report.
void CFlashDlg::HandleNegativeResponse(const Response& response) {
    const uint8_t refused = response.Byte(2);
    const uint8_t code = response.Byte(3);

    switch (code) {
    case Nrc::ServiceNotSupported:
    case Nrc::SubFunctionNotSupported: PassOverUnsupported(response); break;
    case Nrc::BusyRepeatRequest:
    case Nrc::RoutineNotComplete:
        ResendFinalWrite(refused);
        StepBusyIndicator();
        break;
    case Nrc::ConditionsNotCorrect:
        if (refused == Sid::StopSession && IsPending(Row::StopSession)) {
            // No session left to stop: its answer was lost and this is the repeat. Done.
            OnStopSessionDone();
            break;
        }
        if (refused == Sid::SecurityAccess && (IsPending(Row::KeyLevel5) || IsPending(Row::KeyLevel7))) {
            // A key without a seed: the seed was used up (by a key whose answer was lost).
            // A new seed is asked for; an ECU already unlocked answers it with seed 0.
            const bool level5 = IsPending(Row::KeyLevel5);
            Withdraw(level5 ? Row::KeyLevel5 : Row::KeyLevel7);
            MakePending(level5 ? Row::SeedLevel5 : Row::SeedLevel7);
            break;
        }
        Withdraw(Row::WriteMemory);
        // With nothing else to send the run stops here, and a window that ends with the run ends.
        if (!AnyPending()) {
            FinishWithStatus(Text::ConditionsNotCorrect);
            break;
        }
        SetStatusText(Text::ConditionsNotCorrect);
        platform.host.ShowItem(ControlId::BusyIndicator, false);
        break;
    case Nrc::RequestOutOfRange:
        if (refused == Sid::ReadLocalData) {
            if (IsPending(Row::ReadLocalB810) || IsPending(Row::ReadLocalB820)) {
                SkipUnsupportedRead();
            } else {
                RefuseReadOutOfRange(response);
            }
        }
        if (refused == Sid::WriteLocalData) LeaveOutRefusedWrite();
        if (refused == Sid::ReadIdentification && !SkipUnsupportedRead()) TakeUnexpectedResponsePath(response);
        if (refused != Sid::ReadLocalData && refused != Sid::WriteLocalData && refused != Sid::ReadIdentification)
            TakeUnexpectedResponsePath(response);
        break;
    case Nrc::InvalidKey:
        if (IsPending(Row::KeyLevel5)) {
            Withdraw(Row::KeyLevel5);
            if (secondKeyTried == 0) {
                secondKeyTried = 1;
                MakePending(Row::SeedLevel5);
            } else {
                FinishWithStatus(Text::InvalidKey);
            }
        } else if (IsPending(Row::KeyLevel7)) {
            Withdraw(Row::KeyLevel7);
            FinishWithStatus(Text::InvalidKey);
        }
        break;
    case Nrc::RequiredTimeDelayNotExpired:
        ResendFinalWrite(refused);
        SetStatusText(Text::Waiting);
        StepBusyIndicator();
        break;
    case Nrc::ResponsePending:
        // The ECU works on it (erasing); its final answer comes by itself. Other requests stay
        // pending: the ECU answers them busy until it is done.
        if (refused == Sid::WriteMemory) {
            finalAnswerTicks = 0;
            finalAnswerDue = 1;
        }
        Withdraw(Row::WriteMemory);
        SetStatusText(Text::Erasing);
        StepBusyIndicator();
        break;
    case Nrc::NotInActiveSession:
        if (refused == Sid::StopSession) {
            Withdraw(Row::StopSession);
            MakePending(Row::BaseChecksum);
        } else if (refused == Sid::ReadLocalData && IsPending(Row::BaseChecksum)) {
            Withdraw(Row::BaseChecksum);
            MakePending(Row::Routine10);
        } else if (refused == Sid::ReadLocalData && IsPending(Row::UpperChecksum)) {
            Withdraw(Row::UpperChecksum);
            MakePending(Row::WriteMemory);
        }
        break;
    default: TakeUnexpectedResponsePath(response); break;
    }
}

// A final answer that never comes (lost on the line) would leave nothing pending and the run
// standing still at "Erasing...": after a generous wait the write goes out again.
void CFlashDlg::CheckFinalAnswerOverdue() {
    if (finalAnswerDue == 0 || scheduler.awaitingResponse != 0) return;
    if (++finalAnswerTicks < kFinalAnswerTicks) return;
    finalAnswerDue = 0;
    finalAnswerTicks = 0;
    MakePending(Row::WriteMemory);
}

// Busy, not complete or wait as the final answer of a write the ECU said "response pending" to:
// the write was withdrawn then, so it is made pending again to be repeated as the ECU asks.
void CFlashDlg::ResendFinalWrite(uint8_t refused) {
    if (refused == Sid::WriteMemory && !IsPending(Row::WriteMemory)) MakePending(Row::WriteMemory);
}

bool CFlashDlg::SkipUnsupportedRead() {
    // The skip order walks the stage-0 read: later, a read in it is one the run needs (the
    // version for the history), and its successors would overwrite the saved records.
    for (size_t i = 0; sessionStage == Stage::Identification && i < ReadSkipOrder.size(); ++i) {
        const int row = ReadSkipOrder[i];
        if (!IsPending(row)) continue;
        Withdraw(row);
        // A block record left in the middle must not leave the next one starting mid-way.
        if (IsBlockRecordRow(row)) blockIndex = 0;
        MakePending(i + 1 < ReadSkipOrder.size() ? ReadSkipOrder[i + 1] : Row::Routine09);
        return true;
    }
    for (int row : WithdrawnWithoutSuccessor) {
        if (!IsPending(row)) continue;
        Withdraw(row);
        GoOnWithout(row);
        return true;
    }
    if (!IsPending(Row::Routine09)) return false;
    Withdraw(Row::Routine09);
    if (sessionStage == Stage::Identification)
        SelectImageForEcu();
    else
        MakePending(Row::SeedLevel7);
    return true;
}

// A request the ECU does not support is treated as done: the run goes on as after its answer (an
// ECU that cannot reset itself is reset by the operator), so the run never stands still with
// nothing pending.
void CFlashDlg::GoOnWithout(int row) {
    switch (row) {
    case Row::Routine04: MakePending(Row::Routine06); break;
    case Row::Routine06: MakePending(Row::ReadVersion); break;
    case Row::Routine0F: ScheduleNextRestoreWrite(); break;
    case Row::StopSession: OnStopSessionDone(); break;
    default: break;
    }
}

// Service or identifier not supported: an ECU without the model code counts as an older unit,
// chosen by its version; a write the ECU will not take is left out; an optional read is skipped.
void CFlashDlg::PassOverUnsupported(const Response& response) {
    if (IsPending(Row::ModelCode)) {
        Withdraw(Row::ModelCode);
        modelCode = 0;
        MakePending(Row::SeedLevel5);
    } else if (response.Byte(2) == Sid::WriteLocalData && AnyWritePending()) {
        LeaveOutRefusedWrite();
    } else if (!SkipUnsupportedRead() && !GoOnWithoutCheck()) {
        // The date, a session, a key, the reset by service: nothing the run can do without.
        TakeUnexpectedResponsePath(response);
    }
}

// Reads past the identification that an ECU may lack: the version only feeds the history entry,
// which is then left out; a checksum it cannot give is passed as when it refuses it outside its
// session; without the clearing of diagnostic codes the update itself is complete.
bool CFlashDlg::GoOnWithoutCheck() {
    if (IsPending(Row::ReadVersion) && (sessionStage == Stage::Restore || sessionStage == Stage::Completion)) {
        GoOnWithoutHistoryVersion();
    } else if (IsPending(Row::BaseChecksum)) {
        Withdraw(Row::BaseChecksum);
        MakePending(Row::Routine10);
    } else if (IsPending(Row::UpperChecksum)) {
        Withdraw(Row::UpperChecksum);
        MakePending(Row::WriteMemory);
    } else if (IsPending(Row::ClearDiagnostics)) {
        Withdraw(Row::ClearDiagnostics);
        RecordJournalProgress(JournalProgress::Finished);
        FinishWithStatus(Text::FinishedOk);
    } else {
        return false;
    }
    return true;
}

bool CFlashDlg::AnyWritePending() const {
    for (int row = Row::FirstWrite; row <= Row::LastWrite; ++row)
        if (IsPending(row)) return true;
    return false;
}

// The history goes on as after its last block; a record of the restore is left out.
void CFlashDlg::LeaveOutRefusedWrite() {
    if (IsPending(Row::WriteHistory)) {
        EndHistoryWrite();
        return;
    }
    SkipRestoreWrite();
    ScheduleNextRestoreWrite();
}

// The base's erase wiped the history: in stage 3 it is written back as it was read, without an
// entry for this update. In stage 6 it has been written back already.
void CFlashDlg::GoOnWithoutHistoryVersion() {
    Withdraw(Row::ReadVersion);
    if (sessionStage == Stage::Completion) {
        EndHistoryWrite();
        return;
    }
    blockIndex = 0;
    MakePending(Row::WriteHistory);
}

// A read out of range other than B8 10/20 ("Manual Reset"): the resets are the operator's from
// now on, and the identification goes on as past an unsupported read, so only the refused record
// is missing afterwards. Outside the identification the run cannot do without what it asked for.
void CFlashDlg::RefuseReadOutOfRange(const Response& response) {
    bool identifying = IsPending(Row::ModelCode);
    for (int row : ReadSkipOrder) identifying = identifying || IsPending(row);
    identifying = identifying && sessionStage == Stage::Identification;
    if (!identifying) {
        // The history's version is not needed to go on; nothing else outside the identification is.
        const bool historyVersion = IsPending(Row::ReadVersion) && GoOnWithoutCheck();
        if (!historyVersion) TakeUnexpectedResponsePath(response);
        return;
    }
    SetStatusText(Text::ManualReset);
    resetByService = 0;
    PassOverUnsupported(response);
}

void CFlashDlg::TakeUnexpectedResponsePath(const Response& response) {
    DialogHost& host = platform.host;
    host.ShowMessageBox(Text::UnexpectedNegativeResponse, "", MessageIcon::None, MessageButtons::Ok);
    OfferDebugReport(
        FormatNegativeResponseHeader(response.Byte(2), response.Byte(3), StageNumber(sessionStage)).data());
    host.ShowMessageBox(Text::MayNotBeUpgraded, "", MessageIcon::None, MessageButtons::Ok);
    FinishWithStatus(Text::CanNowExit);
    WithdrawRequestsOf(response.Byte(2));  // the run ends here: the refused request is not sent again
}

void CFlashDlg::WithdrawRequestsOf(uint8_t service) {
    for (int row = 0; row < kRequestRowCount; ++row)
        if (IsPending(row) && ServiceOfRow(row) == service) Withdraw(row);
}
