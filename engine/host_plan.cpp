#include "engine/host_plan.h"

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

bool AnalyseInHost(std::vector<PackageFile>& files, const std::vector<InstalledDict>& installed) {
  HostPlanServices services;
  return AnalysePlan(files, installed, services);
}
