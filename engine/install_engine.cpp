#include "engine/install_engine.h"

#include "engine/diagnostics.h"
#include "engine/install/dict_registration.h"
#include "engine/install/install_run.h"
#include "engine/install/window_reporter.h"
#include "engine/inventory/inventory.h"
#include "engine/plan/install_plan.h"
#include "engine/plan/plan_summary.h"
#include "engine/processes/host_handoff.h"
#include "engine/processes/process_control.h"

bool InstallEngine::InitFileLists() { return ::InitFileLists(packageFiles, installedDicts, heldDescription); }

bool InstallEngine::ReadDirFilesInfo(std::vector<PackageFile>& list) { return ::ReadDirFilesInfo(list); }

bool InstallEngine::ReadDFFileInfo(PackageFile& file) { return ::ReadDFFileInfo(file); }

bool InstallEngine::ReadLocalDictFilesInfo(std::vector<InstalledDict>& list) { return ::ReadLocalDictFilesInfo(list); }

bool InstallEngine::Analyse(std::vector<PackageFile>& files, std::vector<InstalledDict>& installed) {
  return AnalyseInHost(files, installed);
}

bool InstallEngine::EnsureLists() {
  if (!listsReady) listsReady = InitFileLists();
  return listsReady;
}

int InstallEngine::GetPlannedItemCount() { return EnsureLists() ? CountPlannedItems(packageFiles) : -1; }

uint32_t InstallEngine::GetPlannedBlockTotal() { return EnsureLists() ? CountPlannedBlocks(packageFiles) : 0; }

void InstallEngine::GetPlanSummary(std::wstring& summary) { ComposePlanSummary(packageFiles, summary); }

bool InstallEngine::RunInstall(HWND dialog) {
  if (dialog == nullptr || !IsWindow(dialog) || !EnsureLists()) return false;
  WindowReporter reporter(dialog);
  return InstallAll(packageFiles, reporter);
}

void InstallEngine::RepairLeftovers() { RepairInterruptedRun(); }

bool InstallEngine::EnableAllDicts() {
  // The service keeps the configuration open: with it still running nothing is written.
  if (!StopDictService()) {
    TraceDiagnostic(L"EnableAllDicts-1: stop service fail");
    return false;
  }
  if (!EnableDictsInConfig(packageFiles)) {
    TraceDiagnostic(L"EnableAllDicts-2: get cfg path fail");
    return false;
  }
  return LaunchHost();
}
