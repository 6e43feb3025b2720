// Resource ids of pakorra.exe, shared by the resource script and the code.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAINDLG 129

#define IDC_STC_MAINDLG_TIPINFO 1000
#define IDC_PRG_MAINDLG_PROGRESS 1001
#define IDC_BTN_MAINDLG_NEXT 1002
#define IDC_BTN_MAINDLG_DOWNLOAD 1003
#define IDC_BTN_MAINDLG_CLOSE 1004
#define IDC_LST_MAINDLG_STATUS 1006
#define IDC_CHK_MAINDLG_RUNHOST 1008
