// Timing for the benchmarks that run under Wine, where Google Benchmark is not built:
// each operation runs a number of times and the median and mean are printed in ms.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

template <typename Operation>
void Measure(const char* name, int runs, Operation operation) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  operation();  // warm-up: first use of caches, fonts and lazily made buffers
  std::vector<double> ms;
  ms.reserve(static_cast<std::size_t>(runs));
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    operation();
    QueryPerformanceCounter(&end);
    ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                 static_cast<double>(frequency.QuadPart));
  }
  double sum = 0;
  for (double v : ms) sum += v;
  std::sort(ms.begin(), ms.end());
  std::printf("%-48s median %7.3f ms   mean %7.3f ms   max %7.3f ms   (%d runs)\n", name,
              ms[ms.size() / 2], sum / static_cast<double>(ms.size()), ms.back(), runs);
}
