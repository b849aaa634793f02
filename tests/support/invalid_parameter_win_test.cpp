#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "support/errors.h"
#include "support/invalid_parameter.h"

namespace {

using Hook = CInvalidParameterHook;

void __cdecl Sentinel(const wchar_t*, const wchar_t*, const wchar_t*, unsigned int, uintptr_t) {}

// 32-bit msvcrt.dll has a hook of its own, which its bounded functions use. With SEH
// (x86_64) the handler throws; on i686 an exception could not unwind msvcrt's frames, so
// it counts the report and the run-time function returns its error.
TEST(InvalidParameterHookTest, NestsRestoresThePreviousHandlerAndTurnsReportsIntoErrors) {
  const _invalid_parameter_handler original = _set_invalid_parameter_handler(&Sentinel);
  {
    Hook outer;
    { Hook inner; }
    EXPECT_EQ(Hook::Handler(), _get_invalid_parameter_handler()) << "the inner hook restored it";
    const std::uint32_t before = Hook::ReportCount();
    if (outer.reached_runtime()) {
      const auto strcpy_s = reinterpret_cast<errno_t(__cdecl*)(char*, size_t, const char*)>(
          reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "strcpy_s")));
      char buffer[8];
      if constexpr (Hook::kThrows) {
        EXPECT_THROW(strcpy_s(buffer, sizeof buffer, "0123456789"), CInvPrmException);
      } else {
        EXPECT_EQ(ERANGE, strcpy_s(buffer, sizeof buffer, "0123456789"));
      }
    } else if constexpr (Hook::kThrows) {
      EXPECT_THROW(Hook::Handler()(nullptr, nullptr, nullptr, 0, 0), CInvPrmException);
    } else {
      Hook::Handler()(nullptr, nullptr, nullptr, 0, 0);
    }
    EXPECT_EQ(before + 1, Hook::ReportCount());
  }
  EXPECT_EQ(&Sentinel, _get_invalid_parameter_handler()) << "the previous handler is back";
  _set_invalid_parameter_handler(original);
}

}  // namespace
