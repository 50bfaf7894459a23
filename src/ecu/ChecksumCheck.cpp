#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "ecu/ExpectedChecksums.h"
#include "link/RequestTable.h"
#include "session/Response.h"

// The ECU's checksum of the area just written, against the value expected for the image.
void CFlashDlg::OnChecksumReply(const Response& response) {
    if (!response.Has(5)) return;  // no checksum in it: asked again
    const int32_t stage = sessionStage;
    const int32_t reported = response.Byte(3) << 8 | response.Byte(4);
    if (stage == 1 || stage == 2) reportedBaseChecksum = reported;
    if (stage == 5) reportedUpperChecksum = reported;
    const ExpectedChecksums expected = ExpectedChecksumsFor(imageIndex);
    const auto matches = [&](uint16_t value) {
        return response.Byte(3) == (value >> 8) && response.Byte(4) == (value & 0xFF);
    };

    if (stage == 1 || stage == 2) {
        Withdraw(Row::BaseChecksum);
        if (matches(expected.base)) {
            if (stage == 1) {
                MakePending(Row::Routine10);
            } else {
                SetSessionStage(3);
                MakePending(Row::Routine0D);
            }
            return;
        }
        if (++baseChecksumFailures >= 3) {
            FinishWithStatus(Text::FailedBaseCrc);
        } else if (stage == 2) {
            SetSessionStage(1);  // written again after a new access and programming session
            MakePending(Row::Routine09);
        } else {
            tagIndex = 0;
            MakePending(Row::WriteMemory);
        }
    } else if (stage == 5) {
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
