#include "app/CFlashDlg.h"

void CFlashDlg::SetSessionStage(int32_t stage) { sessionStage = stage; }
