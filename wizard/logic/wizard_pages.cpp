#include "wizard/logic/wizard_pages.h"

#include <iterator>

#include "wizard/logic/text_format.h"
#include "wizard/logic/wizard_texts.h"

namespace {

using C = WizardControl;
using Op = PageOp;
constexpr PageMode kAlways = PageMode::Always;

// clang-format off
// The three start-up pages grow the tip text over the hidden progress bar.
constexpr PageStep kWelcome[] = {
    {Op::GrowTip,           C::TipInfo,    nullptr,                     kAlways},
    {Op::SetText,           C::TipInfo,    wizard_text::kWelcomeFormat, kAlways},
    {Op::Hide,              C::StatusList, nullptr,                     kAlways},
    {Op::Hide,              C::Progress,   nullptr,                     kAlways},
    {Op::Hide,              C::RunHost,    nullptr,                     kAlways},
    {Op::SetText,           C::Next,       wizard_text::kNext,          kAlways},
    {Op::Show,              C::Next,       nullptr,                     kAlways},
    {Op::Hide,              C::Download,   nullptr,                     kAlways},
    {Op::SetText,           C::Close,      wizard_text::kCancel,        kAlways},
    {Op::Show,              C::Close,      nullptr,                     kAlways},
};

// Next's column: the progress bar shows below the tip text again; with several entries the
// status list takes the tip text's place. Every way of closing is blocked while the worker runs.
constexpr PageStep kRunning[] = {
    {Op::ShrinkTip,         C::TipInfo,    nullptr,                     kAlways},
    {Op::Hide,              C::TipInfo,    nullptr,                     PageMode::MultiItemOnly},
    {Op::Show,              C::StatusList, nullptr,                     PageMode::MultiItemOnly},
    {Op::Show,              C::Progress,   nullptr,                     kAlways},
    {Op::GreySystemClose,   C::Close,      nullptr,                     kAlways},
    {Op::Disable,           C::Next,       nullptr,                     kAlways},
    {Op::Disable,           C::Close,      nullptr,                     kAlways},
};

constexpr PageStep kFinished[] = {
    {Op::Hide,              C::Progress,   nullptr,                     kAlways},
    {Op::SetText,           C::RunHost,    wizard_text::kRunHost,       kAlways},
    {Op::Show,              C::RunHost,    nullptr,                     kAlways},
    {Op::Tick,              C::RunHost,    nullptr,                     kAlways},
    {Op::Hide,              C::Next,       nullptr,                     kAlways},
    {Op::Enable,            C::Next,       nullptr,                     kAlways},
    {Op::Hide,              C::Download,   nullptr,                     kAlways},
    {Op::SetText,           C::Close,      wizard_text::kFinish,        kAlways},
    {Op::Enable,            C::Close,      nullptr,                     kAlways},
    {Op::EnableSystemClose, C::Close,      nullptr,                     kAlways},
};

constexpr PageStep kUpToDate[] = {
    {Op::GrowTip,           C::TipInfo,    nullptr,                     kAlways},
    {Op::SetText,           C::TipInfo,    wizard_text::kUpToDate,      kAlways},
    {Op::Show,              C::TipInfo,    nullptr,                     kAlways},
    {Op::Hide,              C::StatusList, nullptr,                     kAlways},
    {Op::Hide,              C::Progress,   nullptr,                     kAlways},
    {Op::Hide,              C::RunHost,    nullptr,                     kAlways},
    {Op::Hide,              C::Next,       nullptr,                     kAlways},
    {Op::Hide,              C::Download,   nullptr,                     kAlways},
    {Op::SetText,           C::Close,      wizard_text::kClose,         kAlways},
    {Op::Show,              C::Close,      nullptr,                     kAlways},
};

constexpr PageStep kHostMissing[] = {
    {Op::GrowTip,           C::TipInfo,    nullptr,                     kAlways},
    {Op::SetText,           C::TipInfo,    wizard_text::kHostMissing,   kAlways},
    {Op::Show,              C::TipInfo,    nullptr,                     kAlways},
    {Op::Hide,              C::StatusList, nullptr,                     kAlways},
    {Op::Hide,              C::Progress,   nullptr,                     kAlways},
    {Op::Hide,              C::RunHost,    nullptr,                     kAlways},
    {Op::Hide,              C::Next,       nullptr,                     kAlways},
    {Op::SetText,           C::Download,   wizard_text::kDownload,      kAlways},
    {Op::Show,              C::Download,   nullptr,                     kAlways},
    {Op::SetText,           C::Close,      wizard_text::kClose,         kAlways},
    {Op::Show,              C::Close,      nullptr,                     kAlways},
};

// A run that ended without its end-of-run report: the status lines and the bar stay as they
// are, there is no next step, and closing works again.
constexpr PageStep kIncomplete[] = {
    {Op::Hide,              C::Next,       nullptr,                     kAlways},
    {Op::SetText,           C::Close,      wizard_text::kClose,         kAlways},
    {Op::Enable,            C::Close,      nullptr,                     kAlways},
    {Op::EnableSystemClose, C::Close,      nullptr,                     kAlways},
};

constexpr PageLayout kPages[] = {
    {WizardState::Welcome, kWelcome, std::size(kWelcome)},
    {WizardState::Running, kRunning, std::size(kRunning)},
    {WizardState::Finished, kFinished, std::size(kFinished)},
    {WizardState::UpToDate, kUpToDate, std::size(kUpToDate)},
    {WizardState::HostMissing, kHostMissing, std::size(kHostMissing)},
    {WizardState::Incomplete, kIncomplete, std::size(kIncomplete)},
};

// clang-format on

}  // namespace

bool FindPageLayout(WizardState page, PageLayout& layout) { return FindRowOfPage(kPages, page, layout); }

void ApplyPage(const PageLayout& layout, bool singleItem, const std::wstring& argument, WizardSurface& surface) {
  for (size_t i = 0; i < layout.count; ++i) {
    const PageStep& step = layout.steps[i];
    if (step.mode == PageMode::MultiItemOnly && singleItem) continue;
    switch (step.op) {
      case PageOp::GrowTip:
      case PageOp::ShrinkTip:
        surface.ResizeTipInfo(step.op == PageOp::GrowTip);
        break;
      case PageOp::SetText:
        surface.SetText(step.control, FormatText(step.text, argument.c_str()));
        break;
      case PageOp::Show:
        surface.Show(step.control);
        break;
      case PageOp::Hide:
        surface.Hide(step.control);
        break;
      case PageOp::Enable:
      case PageOp::Disable:
        surface.Enable(step.control, step.op == PageOp::Enable);
        break;
      case PageOp::Tick:
        surface.Tick(step.control);
        break;
      case PageOp::EnableSystemClose:
      case PageOp::GreySystemClose:
        surface.EnableSystemClose(step.op == PageOp::EnableSystemClose);
        break;
    }
  }
}
