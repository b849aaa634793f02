// What the geometry tests share: a description of what a call threw, so that a test
// compares the outcome with what it expected in one line and a failure prints both, and
// an element too large for any address space to hold billions of.
#pragma once

#include <string>

#include "support/errors.h"

namespace geometry_test {

// "text: ..." for a thrown `const char*`, "range <code> <value>" for a CIRangeError,
// "memory <code>" for a CIMemoryError, otherwise "other" or "nothing".
template <typename F>
std::string Thrown(F&& call) {
  try {
    call();
  } catch (const char* text) {
    return std::string("text: ") + text;
  } catch (const CIRangeError& e) {
    return "range " + std::to_string(e.code) + " " + std::to_string(e.value);
  } catch (const CIMemoryError& e) {
    return "memory " + std::to_string(e.code);
  } catch (...) {
    return "other";
  }
  return "nothing";
}

// See sanitizer_options.cpp for how the sanitizer build lets such blocks fail.
struct Huge {
  char bytes[1 << 20];
  bool operator==(const Huge&) const = default;
};

}  // namespace geometry_test
