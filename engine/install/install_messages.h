// The private window messages from the installation worker to the wizard dialog. All but the last
// are sent (SendMessageW) from the worker thread, which waits for the answer. wParam strings are
// NUL-terminated UTF-16 owned by the worker, valid only during the send; lParam actions are
// EntryAction numbers (1 Install, 2 Upgrade). Portable: no Win32 header needed.
#pragma once

#include <cstdint>

#include "engine/plan/inventory_records.h"

constexpr unsigned kWmUserBase = 0x0400;  // WM_USER

// lParam of the messages that concern no entry (every one but the entry reports).
constexpr intptr_t kNoAction = 0;

// Sent once before anything else of a run. wParam 0, lParam 0. Answer ignored.
constexpr unsigned WM_INSTALL_START = kWmUserBase + 2010;
// Sent once after the last package file, only when the run was not stopped. wParam 0, lParam the
// number of entries installed whose registration or image failed. Answer ignored; the worker
// touches neither the engine nor the dialog after it.
constexpr unsigned WM_INSTALL_FINISH = kWmUserBase + 2011;
// Sent when a planned entry begins. wParam the entry's title, lParam its action. Answer ignored.
constexpr unsigned WM_ITEM_START = kWmUserBase + 2012;
// Sent when an entry's data are complete in its target file. wParam title, lParam action. Answer ignored.
constexpr unsigned WM_ITEM_SUCCESS = kWmUserBase + 2013;
// Sent after every chunk of at most kBlockBytes (package_reader.h), also after a failed read and
// once for an empty entry: one progress step. wParam 0, lParam 0. Answer ignored.
constexpr unsigned WM_INSTALL_STEP = kWmUserBase + 2014;
// Sent after a failed entry has been rolled back. wParam title, lParam action. Answer 1: go on
// with the next entry; anything else stops the run at once.
constexpr unsigned WM_ITEM_FAIL = kWmUserBase + 2015;
// Sent when a package container cannot be opened. wParam the container's full path, lParam 0.
// Answer 1: go on with the next package file; anything else stops the run at once.
constexpr unsigned WM_UNPACK_FAIL = kWmUserBase + 2016;

// Posted, never sent, when the run ended without WM_INSTALL_FINISH (stopped, or no inventory) while
// the dialog exists, so that it leaves its running state. wParam 0, lParam 0.
constexpr unsigned WM_INSTALL_ABORTED = kWmUserBase + 2017;

// The numbers other programs see (a driver or a test watching the dialog's messages): fixed.
static_assert(WM_INSTALL_START == 3034, "message number");
static_assert(WM_INSTALL_FINISH == 3035, "message number");
static_assert(WM_ITEM_START == 3036, "message number");
static_assert(WM_ITEM_SUCCESS == 3037, "message number");
static_assert(WM_INSTALL_STEP == 3038, "message number");
static_assert(WM_ITEM_FAIL == 3039, "message number");
static_assert(WM_UNPACK_FAIL == 3040, "message number");
static_assert(WM_INSTALL_ABORTED == 3041, "message number");

// The action an entry report (WM_ITEM_START, WM_ITEM_SUCCESS, WM_ITEM_FAIL) carries in lParam;
// false for any other number: the worker reports no such entry, and the dialog answers it 0.
constexpr bool ReportedAction(intptr_t lParam, EntryAction& action) {
  if (lParam != static_cast<intptr_t>(EntryAction::Install) && lParam != static_cast<intptr_t>(EntryAction::Upgrade)) {
    return false;
  }
  action = static_cast<EntryAction>(lParam);
  return true;
}
