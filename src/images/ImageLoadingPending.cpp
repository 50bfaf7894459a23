// Placeholder definitions until image loading lands; the image work replaces this file.
#include "app/CFlashDlg.h"

bool CFlashDlg::LoadFirmwareImage(int32_t) { return false; }
bool CFlashDlg::ParseSRecords() { return false; }
void CFlashDlg::ParseS3Record() {}
bool CFlashDlg::BuildTagContainers() { return false; }
