// Helpers that run a call and report what it threw, so that a test can compare the
// outcome with what it expected in one line and print both when they differ.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "support/errors.h"

namespace geometry_test {

// The text a call threw as `const char*`, or a description of what happened instead.
template <typename F>
std::string ThrownText(F&& call) {
  try {
    call();
  } catch (const char* text) {
    return text;
  } catch (...) {
    return "(something other than a text was thrown)";
  }
  return "(nothing was thrown)";
}

struct RangeErrorSeen {
  std::int32_t code;
  std::uint32_t value;
  bool operator==(const RangeErrorSeen&) const = default;
};

inline void PrintTo(const RangeErrorSeen& e, std::ostream* out) {
  if (e.code == -1) {
    *out << "(something other than a CIRangeError)";
  } else {
    *out << "CIRangeError{code " << e.code << ", value " << e.value << "}";
  }
}

// The code and value of the CIRangeError a call threw, or nothing.
template <typename F>
std::optional<RangeErrorSeen> ThrownRangeError(F&& call) {
  try {
    call();
  } catch (const CIRangeError& e) {
    return RangeErrorSeen{e.code, e.value};
  } catch (...) {
    return RangeErrorSeen{-1, 0};
  }
  return std::nullopt;
}

// The code of the CIMemoryError a call threw, -1 for anything else thrown, or nothing.
template <typename F>
std::optional<std::int32_t> ThrownMemoryErrorCode(F&& call) {
  try {
    call();
  } catch (const CIMemoryError& e) {
    return e.code;
  } catch (...) {
    return -1;
  }
  return std::nullopt;
}

}  // namespace geometry_test
