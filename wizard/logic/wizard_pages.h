// The page table: what each page does to each control, as data. Portable.
#pragma once

#include <cstddef>
#include <string>

#include "wizard/logic/wizard_state.h"
#include "wizard/logic/wizard_surface.h"

enum class PageOp : int {
  GrowTip,  // the tip text takes the progress bar's place (30 px)
  ShrinkTip,
  SetText,  // the step's text, its "%s" filled with the page's argument
  Show,
  Hide,
  Enable,
  Disable,
  Tick,
  EnableSystemClose,
  GreySystemClose,
};

enum class PageMode : int { Always, MultiItemOnly };

struct PageStep {
  PageOp op;
  WizardControl control;
  const wchar_t* text;
  PageMode mode;
};

struct PageLayout {
  WizardState page;
  const PageStep* steps;
  size_t count;
};

// The layout of a page; false for Initial, which has none.
bool FindPageLayout(WizardState page, PageLayout& layout);

// Applies a page's steps in order. The state itself is the caller's to set.
void ApplyPage(const PageLayout& layout, bool singleItem, const std::wstring& argument, WizardSurface& surface);
