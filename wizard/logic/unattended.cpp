#include "wizard/logic/unattended.h"

#include <iterator>

namespace {

using S = WizardState;
using C = WizardControl;

constexpr UnattendedStep kSteps[] = {
    {S::Welcome, C::Next, false, L"无人值守：下一步"},   {S::Finished, C::Close, true, L"无人值守：完成"},
    {S::UpToDate, C::Close, false, L"无人值守：关闭"},   {S::HostMissing, C::Close, false, L"无人值守：关闭"},
    {S::Incomplete, C::Close, false, L"无人值守：关闭"},
};

constexpr UnattendedExitMeaning kMeanings[] = {
    {UnattendedExit::Installed, L"所有计划的词典都已安装，或无需安装"},
    {UnattendedExit::BadCommandLine, L"命令行参数有误，未做任何更改"},
    {UnattendedExit::HostMissing, L"未找到 Lumidex 2.0，或其安装不完整，未做任何更改"},
    {UnattendedExit::StartupCheckFailed, L"启动检查失败（词典包损坏或被拒绝），未做任何更改"},
    {UnattendedExit::NotAllInstalled, L"至少一个词典或词典包未能安装或未能登记，或安装未能完成（其余已安装）"},
    {UnattendedExit::AnotherWizardRuns, L"另一个安装向导正在运行，未做任何更改"},
};

}  // namespace

bool FindUnattendedStep(WizardState page, UnattendedStep& step) {
  for (const UnattendedStep& candidate : kSteps) {
    if (candidate.page == page) {
      step = candidate;
      return true;
    }
  }
  return false;
}

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
