#include "wizard/logic/status_lines.h"

#include "engine/plan/install_messages.h"
#include "wizard/logic/wizard_texts.h"

namespace {

struct ItemLine {
  unsigned message;
  intptr_t action;  // EntryAction's number
  const wchar_t* format;
};

constexpr ItemLine kItemLines[] = {
    {WM_ITEM_START, 1, wizard_text::kInstallStarting},    {WM_ITEM_START, 2, wizard_text::kUpgradeStarting},
    {WM_ITEM_SUCCESS, 1, wizard_text::kInstallSucceeded}, {WM_ITEM_SUCCESS, 2, wizard_text::kUpgradeSucceeded},
    {WM_ITEM_FAIL, 1, wizard_text::kInstallFailed},       {WM_ITEM_FAIL, 2, wizard_text::kUpgradeFailed},
};

}  // namespace

bool FindItemLineFormat(unsigned message, intptr_t action, const wchar_t*& format) {
  for (const ItemLine& line : kItemLines) {
    if (line.message == message && line.action == action) {
      format = line.format;
      return true;
    }
  }
  return false;
}
