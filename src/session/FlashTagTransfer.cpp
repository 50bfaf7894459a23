#include <cstdio>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "session/Response.h"

// The ECU echoes the address of each write; a tag is sent again on a wrong echo, at most twice
// in a row. The last upper tag (the end tag) is held back until the upper checksum matched.
void CFlashDlg::OnWriteMemoryReply(const Response& response) {
    Withdraw(Row::WriteMemory);
    const Stage stage = sessionStage;
    if (stage != Stage::BaseProgramming && stage != Stage::UpperProgramming) return;
    const bool base = stage == Stage::BaseProgramming;
    const FlashContainer& container = base ? BaseContainer : UpperContainer;
    const int32_t lastTag = base ? lastBaseTag : lastUpperTag;
    const int32_t tag = tagIndex;
    if (tag < 0 || tag > lastTag || tag >= kContainerSlots) return;

    const FlashTag& sent = container[static_cast<size_t>(tag)];
    const bool echoMatches = response.Byte(2) == sent[2] && response.Byte(3) == sent[3] && response.Byte(4) == sent[4];
    if (!echoMatches) {
        if (addressRetries < 2) {
            ++addressRetries;
            MakePending(Row::WriteMemory);
        } else {
            FinishWithStatus(base ? Text::BaseAddressError : Text::UpperAddressError);
        }
        return;
    }

    addressRetries = 0;
    if (tag < lastTag) {
        StepBusyIndicator();
        char text[64];
        std::snprintf(text, sizeof text, base ? Text::WritingBase : Text::WritingUpper,
                      static_cast<int>(tag * 100 / lastTag));
        SetStatusText(text);
        tagIndex = tag + 1;
        if (base || tag + 1 < lastTag)
            MakePending(Row::WriteMemory);
        else
            MakePending(Row::UpperChecksum);
    } else if (base) {
        MakePending(Row::StopSession);
    } else {
        ResetEcu(resetByService);  // the end tag is written
    }
}
