#include <windows.h>

#include "still/still_clock.h"

uint32_t MillisecondTicks() { return GetTickCount(); }
