// Keeps controls' states in step with the application's during idle time. The wizard dialog
// declares no entries, so there is nothing to keep in step: the base is kept for the dialog's
// shape and adds no behaviour.
#pragma once

template <class T>
class CUpdateUI {
 protected:
  ~CUpdateUI() = default;
};
