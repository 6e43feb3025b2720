// The wizard's pages as states of the dialog. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

enum class WizardState : int32_t {
  Initial = 0,      // constructed, no page chosen yet
  Welcome = 1,      // something to install or upgrade; waiting for Next
  Running = 2,      // the worker is installing
  Finished = 3,     // the worker has reported the end of the run
  UpToDate = 4,     // nothing planned: the installed data are as new or newer
  HostMissing = 5,  // the host installation was not found or is incomplete
  // The run ended without its end-of-run report (the worker could not start, or stopped): the
  // dialog must not stay locked in Running, so it offers Close again.
  Incomplete = 6,
};

// The row of a table kept per page (each row has a `page` member); false when the page has none.
template <typename Row, size_t N>
bool FindRowOfPage(const Row (&rows)[N], WizardState page, Row& found) {
  for (const Row& row : rows) {
    if (row.page == page) {
      found = row;
      return true;
    }
  }
  return false;
}
