#include "session/RefusalDecision.h"

#include <algorithm>

#include "app/Texts.h"
#include "link/RequestTable.h"
#include "link/ServiceIds.h"
#include "session/ReadSkipOrder.h"

namespace {

using enum RefusalAction;

bool InSkipOrder(int row) { return std::find(ReadSkipOrder.begin(), ReadSkipOrder.end(), row) != ReadSkipOrder.end(); }

bool WithdrawnAsAnswered(int row) {
    return std::find(WithdrawnWithoutSuccessor.begin(), WithdrawnWithoutSuccessor.end(), row) !=
           WithdrawnWithoutSuccessor.end();
}

bool IsWriteRow(int row) { return row >= Row::FirstWrite && row <= Row::LastWrite; }

bool AfterTheBase(Stage stage) { return stage == Stage::Restore || stage == Stage::Completion; }

// The session is stopped before each reset by service (stages 1 and 6) and nowhere else.
bool StopsTheSession(int row, Stage stage) {
    return row == Row::StopSession && (stage == Stage::BaseProgramming || stage == Stage::Completion);
}

constexpr RefusalDecision kUnexpected{Unexpected, Text::CanNowExit};

// Not supported (11, 12): what the run can do without is left out; nothing else is.
RefusalDecision OnUnsupported(const RefusedRequest& r) {
    const int row = r.row;
    if (row == Row::ModelCode) return {OlderEcu};
    if (IsWriteRow(row)) return {LeaveOutWrite};
    // Later in the run a read of the skip order is one the run needs (the version for the
    // history), and its successors would overwrite the saved records.
    if (r.stage == Stage::Identification && InSkipOrder(row)) return {SkipRecord};
    if (WithdrawnAsAnswered(row) && (row != Row::StopSession || StopsTheSession(row, r.stage))) return {GoOnWithout};
    if (row == Row::Routine09) return {SkipRoutine09};
    if (row == Row::ReadVersion && AfterTheBase(r.stage)) return {HistoryWithoutVersion};
    // A checksum the ECU cannot give is passed as when it refuses it outside its session.
    if (row == Row::BaseChecksum) return {PassBaseChecksum};
    if (row == Row::UpperChecksum) return {PassUpperChecksum};
    // The update is complete without the clearing of diagnostic codes.
    if (row == Row::ClearDiagnostics) return {EndRun, Text::FinishedOk};
    // The date, a session, a seed or key, a routine the run depends on, the reset by service
    // (the operator cannot be asked for it: with --yes nobody is there to do it).
    return kUnexpected;
}

// Out of range (31).
RefusalDecision OnOutOfRange(const RefusedRequest& r) {
    const int row = r.row;
    const uint8_t service = ServiceOfRow(row);
    const bool identifying = r.stage == Stage::Identification && (row == Row::ModelCode || InSkipOrder(row));
    if (service == Sid::ReadLocalData) {
        if (identifying && (row == Row::ReadLocalB810 || row == Row::ReadLocalB820)) return {SkipRecord};
        // Only the refused record is missing afterwards; the resets are the operator's.
        if (identifying) return {ManualReset};
        if (row == Row::ReadVersion && AfterTheBase(r.stage)) return {HistoryWithoutVersion};
        return kUnexpected;
    }
    if (IsWriteRow(row)) return {LeaveOutWrite};
    // An identification option the ECU does not have, as one it does not support.
    if (service == Sid::ReadIdentification && identifying) return {SkipRecord};
    return kUnexpected;
}

RefusalDecision OnInvalidKey(const RefusedRequest& r) {
    if (r.row == Row::KeyLevel5)
        return r.secondKeyTried ? RefusalDecision{EndRun, Text::InvalidKey} : RefusalDecision{SecondKey};
    if (r.row == Row::KeyLevel7) return {EndRun, Text::InvalidKey};
    return {Resend};
}

RefusalDecision OnNotInSession(const RefusedRequest& r) {
    if (r.row == Row::StopSession) return {ChecksumBeforeReset};
    if (r.row == Row::BaseChecksum) return {PassBaseChecksum};
    if (r.row == Row::UpperChecksum) return {PassUpperChecksum};
    return {Resend};
}

RefusalDecision OnConditions(const RefusedRequest& r) {
    // A repeat refused because the first request got through and only its answer was lost.
    if (StopsTheSession(r.row, r.stage)) return {StopSessionDone};
    if (r.row == Row::KeyLevel5 || r.row == Row::KeyLevel7) return {NewSeed};
    if (r.row == Row::WriteMemory) return {RefusalAction::ConditionsNotCorrect, Text::ConditionsNotCorrect};
    return {RefusalAction::ConditionsNotCorrect};
}

}  // namespace

RefusalDecision DecideRefusal(const RefusedRequest& refused) {
    switch (refused.code) {
    case Nrc::ServiceNotSupported:
    case Nrc::SubFunctionNotSupported: return OnUnsupported(refused);
    case Nrc::BusyRepeatRequest:
    case Nrc::RoutineNotComplete: return {Busy};
    case Nrc::ConditionsNotCorrect: return OnConditions(refused);
    case Nrc::RequestOutOfRange: return OnOutOfRange(refused);
    case Nrc::InvalidKey: return OnInvalidKey(refused);
    case Nrc::RequiredTimeDelayNotExpired: return {Wait};
    case Nrc::ResponsePending: return {refused.row == Row::WriteMemory ? AwaitFinalAnswer : Pending};
    case Nrc::NotInActiveSession: return OnNotInSession(refused);
    default: return kUnexpected;
    }
}

const char* RefusalActionName(RefusalAction action) {
    switch (action) {
    case Resend: return "resend";
    case Busy: return "busy";
    case Wait: return "wait";
    case Pending: return "pending";
    case AwaitFinalAnswer: return "await final answer";
    case RefusalAction::ConditionsNotCorrect: return "conditions not correct";
    case StopSessionDone: return "stop session done";
    case NewSeed: return "new seed";
    case SkipRecord: return "skip record";
    case ManualReset: return "manual reset";
    case OlderEcu: return "older ECU";
    case LeaveOutWrite: return "leave out write";
    case GoOnWithout: return "go on without";
    case SkipRoutine09: return "skip routine 09";
    case HistoryWithoutVersion: return "history without version";
    case PassBaseChecksum: return "pass base checksum";
    case PassUpperChecksum: return "pass upper checksum";
    case ChecksumBeforeReset: return "checksum before reset";
    case SecondKey: return "second key";
    case EndRun: return "end run";
    case Unexpected: return "unexpected";
    }
    return "?";
}
