#include "engine/processes/desktop_shell.h"

#include <windows.h>
// The shell headers build on windows.h; shellapi.h comes before shldisp.h, so that its
// ShellExecute macro names the dispatch method alike where it is declared and called.
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include "engine/testing_seams.h"

namespace {

ShellStep failingStepForTesting = ShellStep::None;

// One COM reference, released when it goes.
template <typename T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (p_ != nullptr) p_->Release();
  }
  T* operator->() const { return p_; }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  bool Empty() const { return p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// One VARIANT, cleared when it goes.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  // An empty text stays VT_EMPTY: the shell's own choice.
  explicit Variant(const std::wstring& text) : Variant() {
    if (text.empty()) return;
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (v_.bstrVal == nullptr) v_.vt = VT_EMPTY;
  }
  explicit Variant(int number) : Variant() {
    v_.vt = VT_I4;
    v_.lVal = number;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }
  VARIANT& get() { return v_; }

 private:
  VARIANT v_;
};

// Whether a step failed (a failure, success without its object, or a test's fault), kept with its answer.
struct StepCheck {
  ShellStep& failedStep;
  HRESULT& hr;
  bool operator()(ShellStep step, HRESULT answer, bool gotObject) const {
    hr = step == failingStepForTesting || (SUCCEEDED(answer) && !gotObject) ? E_FAIL : answer;
    if (SUCCEEDED(hr)) return false;
    failedStep = step;
    return true;
  }
};

// The chain from the shell windows to the shell's dispatch object, on a thread where COM is
// ready; each object on the way is released once the next is held.
bool ReachShellDispatch(Ref<IShellDispatch2>& shell, const StepCheck& fails) {
  // Each answer is taken before its object is looked at: the order of a call's arguments is open.
  Ref<IShellWindows> windows;
  HRESULT answer =
      CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.OutVoid());
  if (fails(ShellStep::ShellWindows, answer, !windows.Empty())) return false;

  Variant location(static_cast<int>(CSIDL_DESKTOP));
  Variant root;
  LONG window = 0;
  Ref<IDispatch> desktop;
  answer = windows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Out());
  if (fails(ShellStep::FindDesktop, answer, !desktop.Empty())) return false;

  Ref<IServiceProvider> services;
  Ref<IShellBrowser> browser;
  answer = desktop->QueryInterface(IID_IServiceProvider, services.OutVoid());
  if (SUCCEEDED(answer) && !services.Empty())
    answer = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid());
  if (fails(ShellStep::TopLevelBrowser, answer, !browser.Empty())) return false;

  Ref<IShellView> view;
  answer = browser->QueryActiveShellView(view.Out());
  if (fails(ShellStep::ActiveView, answer, !view.Empty())) return false;

  Ref<IDispatch> viewDispatch;
  Ref<IShellFolderViewDual> folderView;
  answer = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, viewDispatch.OutVoid());
  if (SUCCEEDED(answer) && !viewDispatch.Empty())
    answer = viewDispatch->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid());
  if (fails(ShellStep::ViewDispatch, answer, !folderView.Empty())) return false;

  Ref<IDispatch> application;
  answer = folderView->get_Application(application.Out());
  if (SUCCEEDED(answer) && !application.Empty())
    answer = application->QueryInterface(IID_IShellDispatch2, shell.OutVoid());
  return !fails(ShellStep::Application, answer, !shell.Empty());
}

// The chain itself, on a thread where COM is ready. Each step's answer goes to hr.
bool RunChain(const std::wstring& file, const std::wstring& folder, ShellStep& failedStep, HRESULT& hr) {
  Ref<IShellDispatch2> shell;
  if (!ReachShellDispatch(shell, StepCheck{failedStep, hr})) return false;

  BSTR fileText = SysAllocStringLen(file.data(), static_cast<UINT>(file.size()));
  if (fileText == nullptr) {
    failedStep = ShellStep::Execute;
    hr = E_OUTOFMEMORY;
    return false;
  }
  // The programs the wizard opens this way take no arguments.
  Variant arguments(std::wstring{});
  Variant directory(folder);
  Variant operation(std::wstring(L"open"));
  Variant show(SW_SHOWNORMAL);
  // A failure made for a test comes before the call, which would start the program.
  const HRESULT answer =
      failingStepForTesting == ShellStep::Execute
          ? E_FAIL
          : shell->ShellExecute(fileText, arguments.get(), directory.get(), operation.get(), show.get());
  SysFreeString(fileText);
  // Only S_OK started something: S_FALSE is the shell's "not started" (a missing file, under Wine).
  if (answer != S_OK) {
    failedStep = ShellStep::Execute;
    hr = answer;
    return false;
  }
  return true;
}

}  // namespace

const wchar_t* ShellStepName(ShellStep step) {
  // In the order of ShellStep.
  static constexpr const wchar_t* kNames[] = {
      L"none",
      L"CoInitializeEx",
      L"CoCreateInstance(ShellWindows)",
      L"IShellWindows::FindWindowSW(SWC_DESKTOP)",
      L"QueryService(SID_STopLevelBrowser)",
      L"IShellBrowser::QueryActiveShellView",
      L"IShellView::GetItemObject(IShellFolderViewDual)",
      L"IShellFolderViewDual::get_Application(IShellDispatch2)",
      L"IShellDispatch2::ShellExecute",
  };
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == static_cast<size_t>(ShellStep::Execute) + 1);
  const auto index = static_cast<size_t>(step);
  return index < sizeof(kNames) / sizeof(kNames[0]) ? kNames[index] : L"?";
}

bool OpenInDesktopShell(const std::wstring& file, const std::wstring& folder, ShellStep& failedStep, long& hr) {
  // The wizard's main thread has COM already; a thread without it gets it for the call only.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const bool ownInit = SUCCEEDED(init);
  if (!ownInit && init != RPC_E_CHANGED_MODE) {
    failedStep = ShellStep::ComInit;
    hr = init;
    return false;
  }
  ShellStep step = ShellStep::None;
  HRESULT answer = S_OK;
  const bool done = RunChain(file, folder, step, answer);
  if (ownInit) CoUninitialize();
  if (!done) {
    failedStep = step;
    hr = answer;
  }
  return done;
}

void FailShellStepForTesting(ShellStep step) { failingStepForTesting = step; }
