// The engine object: the inventory, its plan, the installation run and the hand-off's enabling
// step. The dialog holds one by value, the worker thread a pointer. Each operation hands its work
// to its module, which depends on the records only, never on this class.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/plan/inventory_records.h"

class InstallEngine {
 public:
  bool listsReady = false;
  std::vector<PackageFile> packageFiles;
  std::vector<InstalledDict> installedDicts;
  // The package's dictconfig.ini, held from the start-up check to the end; its values are in the entries.
  std::shared_ptr<ByteSource> heldDescription;

  // Inventory: builds both lists and has the plan made on them.
  bool InitFileLists();
  bool ReadDirFilesInfo(std::vector<PackageFile>& list);
  bool ReadDFFileInfo(PackageFile& file);
  bool ReadLocalDictFilesInfo(std::vector<InstalledDict>& list);

  bool Analyse(std::vector<PackageFile>& files, std::vector<InstalledDict>& installed);
  int GetPlannedItemCount();        // -1 when the inventory cannot be built
  uint32_t GetPlannedBlockTotal();  // 0 when the inventory cannot be built
  // The welcome text's summary of the plan (engine/plan/plan_summary.h); the inventory must exist.
  void GetPlanSummary(std::wstring& summary);

  // Installation run, on the worker thread, reporting to the dialog window.
  bool RunInstall(HWND dialog);
  // Puts in order what an interrupted run left in the host (as a run does first), outside a run.
  void RepairLeftovers();

  // Hand-off: stop the service, enable every packaged dictionary, start the host.
  bool EnableAllDicts();

 private:
  // The lists, built by the first user that needs them; a failed build is tried again.
  bool EnsureLists();
};
