#include "wizard/logic/status_lines.h"

#include "engine/plan/install_messages.h"
#include "engine/plan/inventory_records.h"
#include "wizard/logic/wizard_texts.h"

namespace {

struct ItemLine {
  unsigned message;
  EntryAction action;
  const wchar_t* format;
};

constexpr ItemLine kItemLines[] = {
    {WM_ITEM_START, EntryAction::Install, wizard_text::kInstallStarting},
    {WM_ITEM_START, EntryAction::Upgrade, wizard_text::kUpgradeStarting},
    {WM_ITEM_SUCCESS, EntryAction::Install, wizard_text::kInstallSucceeded},
    {WM_ITEM_SUCCESS, EntryAction::Upgrade, wizard_text::kUpgradeSucceeded},
    {WM_ITEM_FAIL, EntryAction::Install, wizard_text::kInstallFailed},
    {WM_ITEM_FAIL, EntryAction::Upgrade, wizard_text::kUpgradeFailed},
};

}  // namespace

bool FindItemLineFormat(unsigned message, intptr_t action, const wchar_t*& format) {
  for (const ItemLine& line : kItemLines) {
    if (line.message == message && static_cast<intptr_t>(line.action) == action) {
      format = line.format;
      return true;
    }
  }
  return false;
}
