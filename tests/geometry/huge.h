// An element so large that a block of billions of them exceeds every address space,
// for the tests of storage that cannot be allocated (see sanitizer_options.cpp).
#pragma once

namespace geometry_test {

struct Huge {
  char bytes[1 << 20];
  bool operator==(const Huge&) const = default;
};

}  // namespace geometry_test
