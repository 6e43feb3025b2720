// The message map of a dialog class: one table of messages, each naming its handler.
//   BEGIN_MSG_MAP(CMyDlg)
//     MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
//     MESSAGE_RANGE_HANDLER(WM_APP, WM_APP + 3, OnReport)
//   END_MSG_MAP()
// A handler is LRESULT Handler(UINT message, WPARAM, LPARAM, BOOL& handled); it clears
// `handled` to leave the message to default processing.
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(theClass)                                                                     \
 public:                                                                                            \
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) { \
    (void)hWnd;                                                                                     \
    BOOL bHandled = TRUE;

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func) \
  if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {       \
    bHandled = TRUE;                                   \
    lResult = func(uMsg, wParam, lParam, bHandled);    \
    if (bHandled) return TRUE;                         \
  }

#define MESSAGE_HANDLER(msg, func) MESSAGE_RANGE_HANDLER(msg, msg, func)

#define END_MSG_MAP() \
  return FALSE;       \
  }
