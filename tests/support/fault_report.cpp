// Linked into every GoogleTest program under Wine (cmake/testing.cmake): a fault in the code
// under test (an access violation from reading past a text, say) ends the test program at once,
// naming the test, instead of leaving it to wait for a debugger, which is what Wine starts for
// an unhandled exception and which cannot attach to a 32-bit process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportFault(EXCEPTION_POINTERS* info) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::fprintf(stderr, "\nfatal exception 0x%08lX at %p in %s.%s\n",
               static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
               info->ExceptionRecord->ExceptionAddress, test ? test->test_suite_name() : "?",
               test ? test->name() : "?");
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

const bool installed = (SetUnhandledExceptionFilter(ReportFault), true);

}  // namespace
