// Installs the C run-time's invalid-parameter handler for a scope and restores the
// previous one at its end.
//
// The hook is set in msvcrt.dll itself. mingw-w64's i686 import library defines its own
// _set_invalid_parameter_handler that only stores the pointer in a variable of the
// executable, so msvcrt's bounded functions would never see our handler through it.
//
// On this toolchain the handler does not throw. i686 mingw-w64 unwinds C++ exceptions
// with DWARF tables, and msvcrt's frames between the failing function and the handler
// have none: an exception thrown there cannot reach any catch and ends the process.
// The handler therefore counts the report and returns, and the run-time function
// returns its error code with the destination emptied. The program's bounded copies,
// formats and path operations go through bounded_string.h, which throws
// CInvPrmException from our own frames. With an exception model that can unwind
// through foreign frames (SEH, setjmp/longjmp) the handler throws CInvPrmException.
#pragma once

#include <stdlib.h>

#include <cstdint>

class CInvalidParameterHook {
 public:
#if defined(__SEH__) || defined(__USING_SJLJ_EXCEPTIONS__) || defined(_MSC_VER)
  static constexpr bool kThrows = true;
#else
  static constexpr bool kThrows = false;
#endif

  CInvalidParameterHook();
  ~CInvalidParameterHook();
  CInvalidParameterHook(const CInvalidParameterHook&) = delete;
  CInvalidParameterHook& operator=(const CInvalidParameterHook&) = delete;

  // The handler this hook installs.
  static _invalid_parameter_handler Handler();
  // How many invalid parameters the run-time has reported to the handler so far, from
  // any thread.
  static std::uint32_t ReportCount();
  // Whether msvcrt.dll's own hook was found and set (false on run-times without it, where
  // only the import library's variable is set).
  bool reached_runtime() const { return set_runtime_ != nullptr; }

 private:
  using Setter = _invalid_parameter_handler(__cdecl*)(_invalid_parameter_handler);

  Setter set_runtime_;
  _invalid_parameter_handler previous_runtime_ = nullptr;
  _invalid_parameter_handler previous_import_ = nullptr;
};
