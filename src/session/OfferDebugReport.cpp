#include "app/CFlashDlg.h"

// The debug report of an unexpected refusal: built and appended to the file the operator picks.
void CFlashDlg::OfferDebugReport(const char* header) {
    DebugReportText report;
    BuildDebugReport(report, header);
    SaveDebugReport(report);
}
