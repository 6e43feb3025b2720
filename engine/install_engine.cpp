// The plan's queries on the engine, and the plan made with the real host folder and version probe.
#include "engine/install_engine.h"

#include "engine/host_paths.h"
#include "engine/plan/install_plan.h"
#include "engine/probe_binding.h"

namespace {

class HostPlanServices final : public PlanHost {
 public:
  bool GetDictDataDir(std::wstring& dir) override { return ::GetDictDataDir(dir, true); }
  bool ProbeAvailable() override { return BindVersionProbe(); }
  bool StringToDate(wchar_t* text, DictDate* date) override { return GetProbeBinding().string_to_date(text, date); }
  int CompareDate(const DictDate* first, const DictDate* second) override {
    return GetProbeBinding().compare_date(first, second);
  }
};

}  // namespace

bool InstallEngine::Analyse(std::vector<PackageFile>& files, std::vector<InstalledDict>& installed) {
  HostPlanServices services;
  return AnalysePlan(files, installed, services);
}

bool InstallEngine::EnsureLists() {
  if (listsReady) return true;
  if (!InitFileLists()) return false;
  listsReady = true;
  return true;
}

int InstallEngine::GetPlannedItemCount() { return EnsureLists() ? CountPlannedItems(packageFiles) : -1; }

uint32_t InstallEngine::GetPlannedBlockTotal() { return EnsureLists() ? CountPlannedBlocks(packageFiles) : 0; }

void InstallEngine::GetPlanSummary(std::wstring& summary) { ComposePlanSummary(packageFiles, summary); }
