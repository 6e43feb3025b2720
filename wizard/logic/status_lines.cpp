#include "wizard/logic/status_lines.h"

#include "wizard/logic/wizard_texts.h"

namespace {

struct ItemLine {
  ItemReport report;
  EntryAction action;
  const wchar_t* format;
};

constexpr ItemLine kItemLines[] = {
    {ItemReport::Started, EntryAction::Install, wizard_text::kInstallStarting},
    {ItemReport::Started, EntryAction::Upgrade, wizard_text::kUpgradeStarting},
    {ItemReport::Succeeded, EntryAction::Install, wizard_text::kInstallSucceeded},
    {ItemReport::Succeeded, EntryAction::Upgrade, wizard_text::kUpgradeSucceeded},
    {ItemReport::Failed, EntryAction::Install, wizard_text::kInstallFailed},
    {ItemReport::Failed, EntryAction::Upgrade, wizard_text::kUpgradeFailed},
};

}  // namespace

bool FindItemLineFormat(ItemReport report, EntryAction action, const wchar_t*& format) {
  for (const ItemLine& line : kItemLines) {
    if (line.report == report && line.action == action) {
      format = line.format;
      return true;
    }
  }
  return false;
}
