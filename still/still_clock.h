// The clock the default seed comes from.
#pragma once

#include <cstdint>

// Milliseconds, wrapping modulo 2^32: GetTickCount on Windows, as the board seeds
// its dots; a monotonic clock elsewhere.
uint32_t MillisecondTicks();
