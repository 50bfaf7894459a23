// Placeholder definitions until the serial link lands; the serial-link work replaces this file.
#include "app/CFlashDlg.h"

bool CFlashDlg::OpenPort(int32_t) { return false; }
bool CFlashDlg::SetLineSpeed(int32_t) { return false; }
void CFlashDlg::SendSpeedSwitch() {}
void CFlashDlg::ClosePort() {}
void CFlashDlg::StopLink() {}
void CFlashDlg::ConnectionTick() {}
void CFlashDlg::StartCommThread() {}
void CFlashDlg::AssembleResponse(const uint8_t*, uint32_t) {}
