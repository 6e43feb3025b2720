// What the installation run reports, step by step, and the two answers it waits for: window
// messages to the dialog in the wizard (window_reporter.h), recorded calls in tests. Portable.
#pragma once

#include <string>

#include "engine/plan/inventory_records.h"

class InstallReporter {
 public:
  // Once, before anything else of a run.
  virtual void RunStarted() = 0;
  // A planned entry begins.
  virtual void ItemStarted(const std::wstring& title, EntryAction action) = 0;
  // One progress step: after every chunk of entry data, a failed read, and once for an empty entry.
  virtual void Step() = 0;
  // The entry's data are complete in its target file.
  virtual void ItemSucceeded(const std::wstring& title, EntryAction action) = 0;
  // A failed entry has been rolled back. True: go on with the next entry; false stops the run.
  virtual bool ItemFailed(const std::wstring& title, EntryAction action) = 0;
  // A package container cannot be opened. True: go on with the next container; false stops the run.
  virtual bool ContainerFailed(const std::wstring& path) = 0;
  // Once, after the last container, only when the run was not stopped, with the number of entries
  // installed whose section or image was not written.
  virtual void RunFinished(unsigned unregistered) = 0;

 protected:
  ~InstallReporter() = default;
};
