#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/ExpectedChecksums.h"
#include "link/RequestTable.h"
#include "session/Response.h"

// The ECU's checksum of the area just written, against the value expected for the image.
void CFlashDlg::OnChecksumReply(const Response& response) {
    const Stage stage = sessionStage;
    const int32_t reported = response.Byte(3) << 8 | response.Byte(4);
    if (stage == Stage::BaseProgramming || stage == Stage::BaseVerification) reportedBaseChecksum = reported;
    if (stage == Stage::UpperProgramming) reportedUpperChecksum = reported;
    const ExpectedChecksums expected = ExpectedChecksumsFor(imageIndex);
    const auto matches = [&](uint16_t value) {
        return response.Byte(3) == (value >> 8) && response.Byte(4) == (value & 0xFF);
    };

    if (stage == Stage::BaseProgramming || stage == Stage::BaseVerification) {
        Withdraw(Row::BaseChecksum);
        if (matches(expected.base)) {
            if (stage == Stage::BaseProgramming) {
                MakePending(Row::Routine10);
            } else {
                SetSessionStage(Stage::Restore, "the base checksum matched");
                MakePending(Row::Routine0D);
            }
            return;
        }
        if (++baseChecksumFailures >= 3) {
            FinishWithStatus(Text::FailedBaseCrc);
        } else if (stage == Stage::BaseVerification) {
            // Written again after a new access and programming session.
            SetSessionStage(Stage::BaseProgramming, "the base checksum did not match");
            MakePending(Row::Routine09);
        } else {
            tagIndex = 0;
            MakePending(Row::WriteMemory);
        }
    } else if (stage == Stage::UpperProgramming) {
        Withdraw(Row::UpperChecksum);
        if (matches(expected.upper)) {
            MakePending(Row::WriteMemory);  // tagIndex stands at the end tag
            return;
        }
        if (++upperChecksumFailures >= 3) {
            FinishWithStatus(Text::FailedUpperCrc);
        } else {
            tagIndex = 0;
            MakePending(Row::WriteMemory);
        }
    }
}
