// The simulated core, importing a library of a name no system has (pkcoredep.dll): which copy of
// it the loader takes shows where the core's dependencies are looked for.
extern "C" __declspec(dllimport) int __cdecl CoreDependencyAnswer();

// Called once at load: the import is used, so the linker keeps it.
namespace {
[[maybe_unused]] const int kAnswer = CoreDependencyAnswer();
}  // namespace
