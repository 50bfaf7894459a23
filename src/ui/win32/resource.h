#pragma once

// Resource ids of the Windows program; the control ids are app/ControlIds.h's.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_FLASH_DIALOG 102
#define IDC_ABOUT_VERSION 1000
#define IDR_MAINFRAME 128
