#include "wizard/logic/unattended.h"

#include <iterator>

#include "wizard/logic/run_log_texts.h"
#include "wizard/logic/wizard_texts.h"

namespace {

using S = WizardState;
using C = WizardControl;

constexpr UnattendedStep kSteps[] = {
    {S::Welcome, C::Next, false, log_text::kUnattendedNext},
    {S::Finished, C::Close, true, log_text::kUnattendedFinish},
    {S::UpToDate, C::Close, false, log_text::kUnattendedClose},
    {S::HostMissing, C::Close, false, log_text::kUnattendedClose},
    {S::Incomplete, C::Close, false, log_text::kUnattendedClose},
};

constexpr UnattendedExitMeaning kMeanings[] = {
    {UnattendedExit::Installed, wizard_text::kExitInstalled},
    {UnattendedExit::BadCommandLine, wizard_text::kExitBadCommandLine},
    {UnattendedExit::HostMissing, wizard_text::kExitHostMissing},
    {UnattendedExit::StartupCheckFailed, wizard_text::kExitStartupCheckFailed},
    {UnattendedExit::NotAllInstalled, wizard_text::kExitNotAllInstalled},
    {UnattendedExit::AnotherWizardRuns, wizard_text::kExitAnotherWizardRuns},
};

}  // namespace

bool FindUnattendedStep(WizardState page, UnattendedStep& step) { return FindRowOfPage(kSteps, page, step); }

const UnattendedExitMeaning* UnattendedExitMeanings(size_t& count) {
  count = std::size(kMeanings);
  return kMeanings;
}

bool DescribeUnattendedExit(int code, const wchar_t*& meaning) {
  for (const UnattendedExitMeaning& row : kMeanings) {
    if (static_cast<int>(row.code) == code) {
      meaning = row.meaning;
      return true;
    }
  }
  return false;
}

UnattendedExit UnattendedExitAt(WizardState page, unsigned failures) {
  switch (page) {
    case S::Finished:
      return failures == 0 ? UnattendedExit::Installed : UnattendedExit::NotAllInstalled;
    case S::UpToDate:
      return UnattendedExit::Installed;
    case S::HostMissing:
      return UnattendedExit::HostMissing;
    case S::Initial:
      // The only way to end before a page: the start-up check could not take stock.
      return UnattendedExit::StartupCheckFailed;
    case S::Welcome:
    case S::Running:
    case S::Incomplete:
      // Ended before the run reported its end (closed from outside, or the worker stopped).
      return UnattendedExit::NotAllInstalled;
  }
  return UnattendedExit::NotAllInstalled;
}

int DecideExitCode(RunMode mode, WizardOutcome outcome, const DialogEnd& end) {
  const bool unattended = mode != RunMode::Interactive;
  const auto code = [](UnattendedExit exit) { return static_cast<int>(exit); };
  switch (outcome) {
    case WizardOutcome::HelpShown:
      return 0;
    case WizardOutcome::BadCommandLine:
      return code(UnattendedExit::BadCommandLine);  // in both modes
    case WizardOutcome::OtherWizardRuns:
      return unattended ? code(UnattendedExit::AnotherWizardRuns) : 0;
    case WizardOutcome::NoDialog:
      return unattended ? code(UnattendedExit::NotAllInstalled) : 0;
    case WizardOutcome::DialogEnded:
    case WizardOutcome::EndedFromOutside:
      // An entry that could not be registered counts as failed: the host does not know it.
      return unattended ? code(UnattendedExitAt(end.page, end.failures + end.unregistered)) : end.quitCode;
  }
  return unattended ? code(UnattendedExit::NotAllInstalled) : 0;
}
