#include <windows.h>

#include <atomic>

#include "support/errors.h"
#include "support/invalid_parameter.h"

namespace {

std::atomic<std::uint32_t> g_report_count{0};

void __cdecl OnInvalidParameter(const wchar_t* expression, const wchar_t* function,
                                const wchar_t* file, unsigned int line, uintptr_t reserved) {
  g_report_count.fetch_add(1, std::memory_order_relaxed);
  if constexpr (CInvalidParameterHook::kThrows) {
    throw CInvPrmException{expression, function, file, line, reserved};
  }
}

template <typename Function>
Function RuntimeExport(const char* name) {
  const HMODULE runtime = GetModuleHandleA("msvcrt.dll");
  if (runtime == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(runtime, name)));
}

}  // namespace

CInvalidParameterHook::CInvalidParameterHook()
    : set_runtime_(RuntimeExport<Setter>("_set_invalid_parameter_handler")) {
  if (set_runtime_ != nullptr) previous_runtime_ = set_runtime_(&OnInvalidParameter);
  previous_import_ = _set_invalid_parameter_handler(&OnInvalidParameter);
}

CInvalidParameterHook::~CInvalidParameterHook() {
  _set_invalid_parameter_handler(previous_import_);
  if (set_runtime_ != nullptr) set_runtime_(previous_runtime_);
}

_invalid_parameter_handler CInvalidParameterHook::Handler() { return &OnInvalidParameter; }

std::uint32_t CInvalidParameterHook::ReportCount() {
  return g_report_count.load(std::memory_order_relaxed);
}
