#include "app/CFlashDlg.h"
#include "link/RequestTable.h"
#include "session/Response.h"

void CFlashDlg::OnRoutineStarted(const Response& response) {
    switch (response.Parameter()) {
    case 0x04:
        Withdraw(Row::Routine04);
        MakePending(Row::Routine06);
        break;
    case 0x06:
        Withdraw(Row::Routine06);
        MakePending(Row::ReadVersion);
        break;
    case 0x09:
        Withdraw(Row::Routine09);
        resetByService = 1;
        if (sessionStage == Stage::Identification)
            SelectImageForEcu();  // identification complete: the run waits for the operator
        else
            MakePending(Row::SeedLevel7);
        break;
    case 0x0D:
        Withdraw(Row::Routine0D);
        MakePending(Row::Routine04);
        break;
    case 0x0F:
        Withdraw(Row::Routine0F);
        ScheduleNextRestoreWrite();
        break;
    case 0x10:
        Withdraw(Row::Routine10);
        ResetEcu(resetByService);
        break;
    default: break;
    }
}
