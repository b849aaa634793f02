#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "support/errors.h"
#include "support/invalid_parameter.h"

namespace {

using Handler = _invalid_parameter_handler;
using Setter = Handler(__cdecl*)(Handler);
using Getter = Handler(__cdecl*)();
using StrcpyS = errno_t(__cdecl*)(char*, size_t, const char*);

template <typename Function>
Function RuntimeExport(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), name)));
}

void __cdecl SentinelHandler(const wchar_t*, const wchar_t*, const wchar_t*, unsigned int,
                             uintptr_t) {}

void __cdecl ThrowingHandler(const wchar_t*, const wchar_t*, const wchar_t*, unsigned int,
                             uintptr_t) {
  throw CInvPrmException{nullptr, nullptr, nullptr, 0, 0};
}

class InvalidParameterHookTest : public testing::Test {
 protected:
  void SetUp() override {
    set_ = RuntimeExport<Setter>("_set_invalid_parameter_handler");
    get_ = RuntimeExport<Getter>("_get_invalid_parameter_handler");
    // Called through the run-time's own export, not a wrapper of the import library.
    strcpy_s_ = RuntimeExport<StrcpyS>("strcpy_s");
    if (set_ == nullptr || get_ == nullptr || strcpy_s_ == nullptr) {
      GTEST_SKIP() << "msvcrt.dll has no invalid-parameter hook or no strcpy_s";
    }
    original_ = set_(&SentinelHandler);
  }
  void TearDown() override {
    if (set_ != nullptr) set_(original_);
  }

  Setter set_ = nullptr;
  Getter get_ = nullptr;
  StrcpyS strcpy_s_ = nullptr;
  Handler original_ = nullptr;
};

TEST_F(InvalidParameterHookTest, InstallsInTheRuntimeAndRestoresThePreviousHandler) {
  {
    CInvalidParameterHook hook;
    EXPECT_TRUE(hook.reached_runtime());
    EXPECT_EQ(CInvalidParameterHook::Handler(), get_()) << "msvcrt.dll's handler";
    EXPECT_EQ(CInvalidParameterHook::Handler(), _get_invalid_parameter_handler())
        << "the import library's handler";
    {
      CInvalidParameterHook inner;
      EXPECT_EQ(CInvalidParameterHook::Handler(), get_());
    }
    EXPECT_EQ(CInvalidParameterHook::Handler(), get_()) << "the inner hook restored the outer";
  }
  EXPECT_EQ(&SentinelHandler, get_()) << "the handler before the hook was not restored";
}

TEST_F(InvalidParameterHookTest, ARuntimeCopyThatDoesNotFitReportsAndReturnsItsError) {
  if (CInvalidParameterHook::kThrows) GTEST_SKIP() << "this handler throws instead";
  CInvalidParameterHook hook;
  char buffer[8];
  std::memset(buffer, 'J', sizeof buffer);
  const std::uint32_t before = CInvalidParameterHook::ReportCount();
  const errno_t result = strcpy_s_(buffer, sizeof buffer, "0123456789");
  EXPECT_EQ(ERANGE, result);
  EXPECT_STREQ("", buffer) << "the run-time empties the destination before reporting";
  EXPECT_EQ(before + 1, CInvalidParameterHook::ReportCount())
      << "the run-time did not call the installed handler";
}

// What the hook is built around: an exception thrown by a handler that msvcrt.dll calls
// cannot be caught, because the unwinder finds no DWARF tables for msvcrt's frames.
using InvalidParameterHookDeathTest = InvalidParameterHookTest;

TEST_F(InvalidParameterHookDeathTest, AnExceptionThrownThroughRuntimeFramesEndsTheProcess) {
  if (CInvalidParameterHook::kThrows) GTEST_SKIP() << "frames without DWARF tables are unwound";
  EXPECT_DEATH(
      {
        set_(&ThrowingHandler);
        char buffer[4];
        try {
          strcpy_s_(buffer, sizeof buffer, "too long");
        } catch (const CInvPrmException&) {
          std::fprintf(stderr, "caught\n");
        }
      },
      "terminate called after throwing");
}

}  // namespace
