#include "app/CFlashDlg.h"

#include <cstdio>
#include <cstring>

#include "app/ControlIds.h"
#include "app/Texts.h"
#include "platform/DialogHost.h"
#include "platform/PortEnumerator.h"

CFlashDlg::CFlashDlg(PlatformServices services) : platform(services) {}

// The receive thread works on this object: it must have ended before the object goes (the
// dialog also ends by Escape, which skips the close steps).
CFlashDlg::~CFlashDlg() { ClosePort(); }

bool CFlashDlg::OnInitDialog() {
    DialogHost& host = platform.host;
    EnumeratePorts();
    host.AddSystemMenuEntry(kAboutCommandId, Text::AboutMenuEntry);
    host.SetWindowTitle(Text::WindowTitle);

    struct RadioLabel {
        int controlId;
        const char* format;
        const char* model;
    };
    for (const RadioLabel& r : {RadioLabel{ControlId::RadioGen1_2M, Text::RadioGen1_2MFormat, "K410"},
                                RadioLabel{ControlId::RadioGen1_3M, Text::RadioGen1_3MFormat, "K411"},
                                RadioLabel{ControlId::RadioGen2, Text::RadioGen2Format, "K412"}}) {
        char label[128];
        std::snprintf(label, sizeof label, r.format, r.model);
        host.SetItemText(r.controlId, label);
    }

    ConfigureProgress();
    SetSessionStage(Stage::Identification, "the window opens");
    InitSessionData();
    ResetSession();
    return true;
}

void CFlashDlg::EnumeratePorts() {
    portCount = 0;
    // At most 255 ports are ever listed (COM1..COM255).
    for (int32_t number : platform.ports.UsablePorts()) {
        if (portCount == 255) break;
        PortList[static_cast<size_t>(portCount++)] = number;
    }
}

void CFlashDlg::ConfigureProgress() {
    busyIndicator.SetBlockCount(10);
    busyIndicator.SetSpacing(2);
    busyIndicator.SetMotion(CTqBusyProgressCtrl::Bounce);
    busyIndicator.SetBlockColour({160, 190, 220});
    busyIndicator.SetBlockOutlineColour({40, 70, 110});
    busyIndicator.SetActiveColour({190, 220, 255});
    busyIndicator.SetActiveOutlineColour({40, 70, 110});
}

void CFlashDlg::InitSessionData() {
    requestTable = RequestTable;
    savedMarks.fill(0);
}
