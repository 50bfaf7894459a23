#include "app/CFlashDlg.h"
#include "link/RequestTable.h"
#include "session/Response.h"
#include "session/SecurityKey.h"

void CFlashDlg::OnSecurityAccess(const Response& response) {
    const auto takeSeed = [&] { securitySeed = static_cast<uint16_t>(response.Byte(3) << 8 | response.Byte(4)); };
    switch (response.Parameter()) {
    case 0x05:
        Withdraw(Row::SeedLevel5);
        takeSeed();
        securityKey =
            ComputeSecurityKey(secondKeyTried == 1 ? KeyVariant::Level5Second : KeyVariant::Level5First, securitySeed);
        MakePending(securityKey != 0 ? Row::KeyLevel5 : Row::StartSession84);
        break;
    case 0x06:
        Withdraw(Row::KeyLevel5);
        MakePending(Row::StartSession84);
        break;
    case 0x07:
        Withdraw(Row::SeedLevel7);
        takeSeed();
        securityKey = ComputeSecurityKey(KeyVariant::Level7, securitySeed);
        if (securityKey != 0)
            MakePending(Row::KeyLevel7);
        else
            AskForProgrammingSession();
        break;
    case 0x08:
        Withdraw(Row::KeyLevel7);
        AskForProgrammingSession();
        break;
    default: break;
    }
}
