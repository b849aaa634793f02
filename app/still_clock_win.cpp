#include <windows.h>

#include "app/still_clock.h"

uint32_t MillisecondTicks() { return GetTickCount(); }
