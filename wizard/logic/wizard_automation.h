// What the logic needs to act for the user in an unattended run: its own clicks, queued on the
// dialog's message queue so that they pass the same command table as a user's, and the run-host
// box set as a user would set it before the finish button (wizard_text::kFinish). Portable.
#pragma once

#include "wizard/logic/wizard_surface.h"

class WizardAutomation {
 public:
  // Handled after the message being handled now has been answered, as a user's click would be:
  // never inside a worker's report.
  virtual void PostClick(WizardControl button) = 0;
  virtual void SetTicked(WizardControl checkBox, bool ticked) = 0;

 protected:
  ~WizardAutomation() = default;
};
