#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "platform/DialogHost.h"

// Starts a run afresh: used at initialisation and after the operator reset the ECU. The stage,
// the image, the containers, the connection state and the port list carry over.
void CFlashDlg::ResetSession() {
    DialogHost& host = platform.host;
    host.KillTimer(TimerId::Scheduler);
    host.KillTimer(TimerId::Connection);

    dongleVersion = -1;
    tagIndex = 0;
    addressRetries = 0;
    baseChecksumFailures = 0;
    upperChecksumFailures = 0;
    secondKeyTried = 0;
    blockIndex = 0;
    modelKnown = 0;
    modelCode = 0;
    variant = 0;

    for (int id : {ControlId::RadioGen1_2M, ControlId::RadioGen1_3M, ControlId::RadioGen2}) host.ShowItem(id, false);
    ShowEcuFields(false);

    scheduler.awaitingResponse = 0;
    scheduler.scanCursor = 0;
    scheduler.responseTimeoutTicks = 0;
    for (auto& flag : scheduler.pendingFlags) flag = 0;

    softwareVersionNumber = 0;
    SetLineSpeed(0);

    host.SetTimer(TimerId::Scheduler, kSchedulerPeriodMs);
    host.SetTimer(TimerId::Connection, kConnectionPeriodMs);
}
