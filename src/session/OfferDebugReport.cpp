#include "app/CFlashDlg.h"

// The debug report of an unexpected refusal: built and appended to the file the operator picks.
void CFlashDlg::OfferDebugReport(const char* header) { (void)header; }
