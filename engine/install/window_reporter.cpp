#include "engine/install/window_reporter.h"

#include "engine/install/install_messages.h"

// wParam carries the text's address for the length of the send; lParam the action's number.
LRESULT WindowReporter::Send(UINT message, const std::wstring* text, intptr_t action) const {
  const WPARAM wParam = text != nullptr ? reinterpret_cast<WPARAM>(text->c_str()) : 0;
  return SendMessageW(window_, message, wParam, static_cast<LPARAM>(action));
}

void WindowReporter::RunStarted() { Send(WM_INSTALL_START, nullptr, kNoAction); }

void WindowReporter::ItemStarted(const std::wstring& title, EntryAction action) { Send(WM_ITEM_START, &title, static_cast<intptr_t>(action)); }

void WindowReporter::Step() { Send(WM_INSTALL_STEP, nullptr, kNoAction); }

void WindowReporter::ItemSucceeded(const std::wstring& title, EntryAction action) {
  Send(WM_ITEM_SUCCESS, &title, static_cast<intptr_t>(action));
}

bool WindowReporter::ItemFailed(const std::wstring& title, EntryAction action) {
  return Send(WM_ITEM_FAIL, &title, static_cast<intptr_t>(action)) == 1;
}

bool WindowReporter::ContainerFailed(const std::wstring& path) {
  return Send(WM_UNPACK_FAIL, &path, kNoAction) == 1;
}

void WindowReporter::RunFinished(unsigned unregistered) {
  SendMessageW(window_, WM_INSTALL_FINISH, 0, static_cast<LPARAM>(unregistered));
}
