// A modeless dialog created from a template resource, whose messages go through the class's
// message map (message_map.h). T names its template as `enum { IDD = ... };`.
#pragma once

#include <windows.h>

#include "wizard/framework/app_module.h"
#include "wizard/framework/message_map.h"

template <class T>
class CDialogImpl {
 public:
  HWND m_hWnd = nullptr;

  // WM_INITDIALOG runs inside this call. Null when the dialog could not be created or was
  // destroyed during its own initialisation.
  HWND Create(HWND parent) {
    return CreateDialogParamW(g_module.GetModuleInstance(), MAKEINTRESOURCEW(T::IDD), parent, DialogProc,
                              reinterpret_cast<LPARAM>(static_cast<T*>(this)));
  }
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }

 protected:
  ~CDialogImpl() = default;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<T*>(lParam);
      self->m_hWnd = hwnd;
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG

    LRESULT result = 0;
    const BOOL handled = self->ProcessWindowMessage(hwnd, message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, DWLP_USER, 0);
      self->m_hWnd = nullptr;
    }
    if (!handled) return FALSE;
    // WM_INITDIALOG's answer (set the focus or not) is the procedure's own result; every other
    // answer is the message result, which is what a SendMessageW caller receives.
    if (message == WM_INITDIALOG) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
};
