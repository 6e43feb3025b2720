// What the wizard's logic asks of the rest of the program: the host and the plan, the worker,
// the hand-off and the shell. The dialog answers with the engine it holds. Portable.
#pragma once

#include <cstdint>
#include <string>

class WizardEnvironment {
 public:
  virtual bool IsHostInstalled() = 0;
  virtual int GetPlannedItemCount() = 0;  // below 0 when the inventory cannot be built
  // Whether the wizard's folder holds any package container, readable or not (after the count).
  virtual bool HasContainer() = 0;
  virtual void GetPlanSummary(std::wstring& summary) = 0;
  // The full path of the first package file the start-up check refused as not the one its
  // publisher sealed (after the count); false when it refused none.
  virtual bool GetRefusedPackageFile(std::wstring& path) = 0;
  virtual uint32_t GetPlannedBlockTotal() = 0;
  // Starts the installation worker; false when no thread could be started.
  virtual bool StartWorker() = 0;
  // Repairs what an interrupted run left in the host (new copies deleted, a lone backup renamed
  // back, a waiting image placed); only ever renames or deletes single files, and never a backup.
  virtual void RepairLeftovers() = 0;
  // True when the host answered by showing its tray window; the wizard ends either way.
  virtual bool HandOffToHost() = 0;
  virtual void OpenDownloadPage() = 0;

 protected:
  ~WizardEnvironment() = default;
};
