#include <cstring>
#include <string>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "link/RequestTable.h"
#include "platform/DialogHost.h"

void CFlashDlg::OnTimer(int timerId) {
    if (timerId == TimerId::Scheduler) SchedulerTick();
    if (timerId == TimerId::Connection) ConnectionTick();
}

void CFlashDlg::OnProceed() {
    DialogHost& host = platform.host;
    host.EnableItem(ControlId::Proceed, false);
    if (sessionStage != Stage::Identification) {
        SetStatusText("");
        return;
    }
    SRecordText.fill(0);
    if (!LoadFirmwareImage(imageIndex)) return;  // the loader has told the operator why
    if (!BeginJournal()) return;                 // likewise
    SetSessionStage(Stage::BaseProgramming, "Proceed");
    historyEntryAdded = 0;
    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2}) host.ShowItem(id, false);
    host.ShowItem(ControlId::BusyIndicator, true);
    ShowEcuFields(false);
    scheduler.pendingFlags[Row::SeedLevel7] = 1;
}

void CFlashDlg::OnRadioButton(int controlId) {
    struct Choice {
        int controlId;
        int32_t image;
        const char* model;
    };
    for (const Choice& c : {Choice{ControlId::RadioGen1_2M, 1, "K410"}, Choice{ControlId::RadioGen1_3M, 2, "K411"},
                            Choice{ControlId::RadioGen2, 3, "K412"}}) {
        if (c.controlId != controlId) continue;
        imageIndex = c.image;
        SetStatusText(std::string(Text::PreloadedWith) + c.model);
        platform.host.EnableItem(ControlId::Proceed, true);
    }
}

void CFlashDlg::OnSysCommand(int commandId) {
    if ((commandId & ~0xF) == kAboutCommandId) platform.host.RunAboutBox(Text::WindowTitle);
}

void CFlashDlg::OnClose() { StopLink(); }
