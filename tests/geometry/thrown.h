// Runs a call and describes what it threw, so that a test compares the outcome with
// what it expected in one line and a failure prints both.
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

inline std::string Text(const char* text) { return std::string("text: ") + text; }

}  // namespace geometry_test
