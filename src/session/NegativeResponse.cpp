#include <cstdio>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ecu/SnapshotRecords.h"
#include "link/RequestTable.h"
#include "platform/DialogHost.h"
#include "session/ReadSkipOrder.h"
#include "session/Response.h"

namespace {

constexpr uint8_t kReadLocal = 0x21;
constexpr uint8_t kStopSession = 0x20;
constexpr uint8_t kWriteLocal = 0x3B;
constexpr uint8_t kSecurityAccess = 0x27;
constexpr int kRowB810 = 81;
constexpr int kRowB820 = 82;

bool IsBlockRecordRow(int row) {
    const SnapshotRecord* record = RecordForReadRow(row);
    return record != nullptr && record->blockCount != 0;
}

} // namespace

// A refusal steers the run where the ECU is known to refuse (optional reads, a second key, busy
// and pending answers); any other code ends the run after offering a debug report.
void CFlashDlg::HandleNegativeResponse(const Response& response) {
    const uint8_t refused = response.Byte(2);
    const uint8_t code = response.Byte(3);
    const auto restoreWriteRefused = [&] {
        if (refused != kWriteLocal) return false;
        for (int row = Row::FirstWrite; row <= Row::LastWrite; ++row)
            if (IsPending(row)) return true;
        return false;
    };

    switch (code) {
    case 0x11:
    case 0x12:
        if (IsPending(Row::ModelCode)) {
            // An ECU without the model code counts as an older unit, chosen by its version.
            Withdraw(Row::ModelCode);
            modelCode = 0;
            MakePending(Row::SeedLevel5);
        } else if (restoreWriteRefused()) {
            // The record cannot be written back: left out like one out of range.
            SkipRestoreWrite();
            ScheduleNextRestoreWrite();
        } else {
            SkipUnsupportedRead();
        }
        break;
    case 0x21:
    case 0x23:
        StepBusyIndicator();
        break;
    case 0x22:
        if (refused == kStopSession && IsPending(Row::StopSession)) {
            // No session left to stop: its answer was lost and this is the repeat. Done.
            OnStopSessionDone();
            break;
        }
        if (refused == kSecurityAccess && (IsPending(Row::KeyLevel5) || IsPending(Row::KeyLevel7))) {
            // A key without a seed: the seed was used up (by a key whose answer was lost).
            // A new seed is asked for; an ECU already unlocked answers it with seed 0.
            const bool level5 = IsPending(Row::KeyLevel5);
            Withdraw(level5 ? Row::KeyLevel5 : Row::KeyLevel7);
            MakePending(level5 ? Row::SeedLevel5 : Row::SeedLevel7);
            break;
        }
        SetStatusText(Text::ConditionsNotCorrect);
        Withdraw(Row::WriteMemory);
        platform.host.ShowItem(ControlId::BusyIndicator, false);
        // With nothing else to send the run stops here, and a window that ends with the run ends.
        if (!AnyPending()) runEnded = 1;
        break;
    case 0x31:
        if (refused == kReadLocal) {
            if (IsPending(kRowB810) || IsPending(kRowB820)) {
                SkipUnsupportedRead();
            } else {
                SetStatusText(Text::ManualReset);
                resetByService = 0;
                WithdrawRequestsOf(kReadLocal);  // the identification ends here: not asked again
                SelectImageForEcu();
            }
        }
        if (refused == kWriteLocal) {
            SkipRestoreWrite();
            ScheduleNextRestoreWrite();
        }
        break;
    case 0x35:
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
    case 0x37:
        SetStatusText(Text::Waiting);
        StepBusyIndicator();
        break;
    case 0x78:
        // The ECU works on it (erasing); its final answer comes by itself.
        finalAnswerDue = 1;
        finalAnswerTicks = 0;
        Withdraw(Row::WriteMemory);
        SetStatusText(Text::Erasing);
        StepBusyIndicator();
        break;
    case 0x80:
        if (refused == kStopSession) {
            Withdraw(Row::StopSession);
            MakePending(Row::BaseChecksum);
        } else if (refused == kReadLocal && IsPending(Row::BaseChecksum)) {
            Withdraw(Row::BaseChecksum);
            MakePending(Row::Routine10);
        } else if (refused == kReadLocal && IsPending(Row::UpperChecksum)) {
            Withdraw(Row::UpperChecksum);
            MakePending(Row::WriteMemory);
        }
        break;
    default:
        TakeUnexpectedResponsePath(response);
        break;
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

void CFlashDlg::SkipUnsupportedRead() {
    for (size_t i = 0; i < ReadSkipOrder.size(); ++i) {
        const int row = ReadSkipOrder[i];
        if (!IsPending(row)) continue;
        Withdraw(row);
        // A block record left in the middle must not leave the next one starting mid-way.
        if (IsBlockRecordRow(row)) blockIndex = 0;
        MakePending(i + 1 < ReadSkipOrder.size() ? ReadSkipOrder[i + 1] : Row::Routine09);
        return;
    }
    for (int row : WithdrawnWithoutSuccessor) {
        if (!IsPending(row)) continue;
        Withdraw(row);
        return;
    }
    if (IsPending(Row::Routine09)) {
        Withdraw(Row::Routine09);
        if (sessionStage == 0)
            SelectImageForEcu();
        else
            MakePending(Row::SeedLevel7);
    }
}

void CFlashDlg::TakeUnexpectedResponsePath(const Response& response) {
    DialogHost& host = platform.host;
    host.ShowMessageBox(Text::UnexpectedNegativeResponse, "", MessageIcon::None, MessageButtons::Ok);
    OfferDebugReport(FormatNegativeResponseHeader(response.Byte(2), response.Byte(3), sessionStage).data());
    host.ShowMessageBox(Text::MayNotBeUpgraded, "", MessageIcon::None, MessageButtons::Ok);
    FinishWithStatus(Text::CanNowExit);
    WithdrawRequestsOf(response.Byte(2));  // the run ends here: the refused request is not sent again
}

void CFlashDlg::WithdrawRequestsOf(uint8_t service) {
    constexpr uint8_t kWriteMemory = 0x3D;  // its row holds a frame only once a tag was sent
    for (int row = 0; row < kRequestRowCount; ++row) {
        const uint8_t rowService = row == Row::WriteMemory ? kWriteMemory : requestTable[static_cast<size_t>(row)].body[1];
        if (IsPending(row) && rowService == service) Withdraw(row);
    }
}
