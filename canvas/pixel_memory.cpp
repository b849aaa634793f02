#include "canvas/pixel_memory.h"

#include <atomic>
#include <new>

namespace {
std::atomic<std::int32_t> g_fail_after{-1};

bool AllocationFails() {
  std::int32_t left = g_fail_after.load();
  while (left >= 0) {
    if (g_fail_after.compare_exchange_weak(left, left - 1)) return left == 0;
  }
  return false;
}
}  // namespace

std::uint32_t* AllocatePixels(std::size_t count) {
  if (count == 0 || AllocationFails()) return nullptr;
  return new (std::nothrow) std::uint32_t[count];
}

void FreePixels(std::uint32_t* pixels) { delete[] pixels; }

void FailPixelAllocation(std::int32_t after) { g_fail_after.store(after); }
