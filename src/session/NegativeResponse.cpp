#include <cstdio>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "link/ServiceIds.h"
#include "platform/DialogHost.h"
#include "session/ReadSkipOrder.h"
#include "session/RefusalDecision.h"
#include "session/Response.h"

namespace {

bool IsBlockRecordRow(int row) {
    const SnapshotRecord* record = RecordForReadRow(row);
    return record != nullptr && record->blockCount != 0;
}

}  // namespace

// The request a refusal names: the one sent last, or the memory write whose final answer was
// still due while another request went out.
int CFlashDlg::RefusedRow(uint8_t refusedService) const {
    const int sent = lastSentRow;
    if (ServiceOfRow(sent) == refusedService) return sent;
    return refusedService == Sid::WriteMemory ? Row::WriteMemory : -1;
}

// What to do is DecideRefusal's table; this only carries it out.
void CFlashDlg::HandleNegativeResponse(const Response& response) {
    const int row = RefusedRow(response.Byte(2));
    const RefusalDecision decision = DecideRefusal({row, response.Byte(3), sessionStage, secondKeyTried != 0});
    CarryOutRefusal(decision, row, response);
}

void CFlashDlg::CarryOutRefusal(const RefusalDecision& decision, int row, const Response& response) {
    // A request refused is pending until the action withdraws it; the memory write was withdrawn
    // when the ECU said "response pending" and must be made pending again to be repeated.
    const auto keepPending = [&] {
        if (row >= 0 && !IsPending(row)) MakePending(row);
    };
    const auto moveOn = [&](int from, int to) {
        Withdraw(from);
        MakePending(to);
    };
    switch (decision.action) {
    case RefusalAction::Resend: keepPending(); break;
    case RefusalAction::Busy:
        keepPending();
        StepBusyIndicator();
        break;
    case RefusalAction::Wait:
        keepPending();
        SetStatusText(Text::Waiting);
        StepBusyIndicator();
        break;
    case RefusalAction::Pending:
    case RefusalAction::AwaitFinalAnswer:
        // The ECU works on it (erasing); its final answer comes by itself. Other requests stay
        // pending: the ECU answers them busy until it is done.
        if (decision.action == RefusalAction::AwaitFinalAnswer) {
            finalAnswerTicks = 0;
            finalAnswerDue = 1;
        }
        Withdraw(Row::WriteMemory);
        SetStatusText(Text::Erasing);
        StepBusyIndicator();
        break;
    case RefusalAction::ConditionsNotCorrect:
        Withdraw(Row::WriteMemory);
        // With nothing else to send the run stops here, and a window that ends with the run ends.
        if (!AnyPending()) {
            FinishWithStatus(Text::ConditionsNotCorrect);
            break;
        }
        SetStatusText(Text::ConditionsNotCorrect);
        platform.host.ShowItem(ControlId::BusyIndicator, false);
        break;
    case RefusalAction::StopSessionDone: OnStopSessionDone(); break;
    case RefusalAction::NewSeed:
        // A new seed is asked for; an ECU already unlocked answers it with seed 0.
        Withdraw(row);
        MakePending(row == Row::KeyLevel5 ? Row::SeedLevel5 : Row::SeedLevel7);
        break;
    case RefusalAction::ManualReset:
        SetStatusText(Text::ManualReset);
        resetByService = 0;
        if (row == Row::ModelCode)
            TakeOlderEcu();
        else
            SkipRecord(row);
        break;
    case RefusalAction::SkipRecord: SkipRecord(row); break;
    case RefusalAction::OlderEcu: TakeOlderEcu(); break;
    case RefusalAction::LeaveOutWrite: LeaveOutRefusedWrite(); break;
    case RefusalAction::GoOnWithout:
        Withdraw(row);
        GoOnWithout(row);
        break;
    case RefusalAction::SkipRoutine09:
        // resetByService stays as it is: with an ECU that lacks routine 09 the resets are the operator's.
        Withdraw(Row::Routine09);
        if (sessionStage == Stage::Identification)
            SelectImageForEcu();
        else
            MakePending(Row::SeedLevel7);
        break;
    case RefusalAction::HistoryWithoutVersion: GoOnWithoutHistoryVersion(); break;
    case RefusalAction::PassBaseChecksum: moveOn(Row::BaseChecksum, Row::Routine10); break;
    case RefusalAction::PassUpperChecksum: moveOn(Row::UpperChecksum, Row::WriteMemory); break;
    case RefusalAction::ChecksumBeforeReset: moveOn(Row::StopSession, Row::BaseChecksum); break;
    case RefusalAction::SecondKey:
        Withdraw(Row::KeyLevel5);
        secondKeyTried = 1;
        MakePending(Row::SeedLevel5);
        break;
    case RefusalAction::EndRun:
        if (row >= 0) Withdraw(row);
        if (decision.finalText == Text::FinishedOk) RecordJournalProgress(JournalProgress::Finished);
        FinishWithStatus(decision.finalText);
        break;
    case RefusalAction::Unexpected: TakeUnexpectedResponsePath(response); break;
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

// The skipped record gets no saved mark, so it is not written back later.
void CFlashDlg::SkipRecord(int row) {
    const auto* at = std::find(ReadSkipOrder.begin(), ReadSkipOrder.end(), row);
    Withdraw(row);
    // A block record left in the middle must not leave the next one starting mid-way.
    if (IsBlockRecordRow(row)) blockIndex = 0;
    MakePending(at + 1 < ReadSkipOrder.end() ? *(at + 1) : Row::Routine09);
}

// A request the ECU does not support is treated as done: the run goes on as after its answer.
void CFlashDlg::GoOnWithout(int row) {
    switch (row) {
    case Row::Routine04: MakePending(Row::Routine06); break;
    case Row::Routine06: MakePending(Row::ReadVersion); break;
    case Row::Routine0F: ScheduleNextRestoreWrite(); break;
    case Row::StopSession: OnStopSessionDone(); break;
    default: break;
    }
}

// An ECU without the model code counts as an older unit, chosen by its version.
void CFlashDlg::TakeOlderEcu() {
    Withdraw(Row::ModelCode);
    modelCode = 0;
    MakePending(Row::SeedLevel5);
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
