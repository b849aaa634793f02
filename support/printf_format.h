// Lets the compiler check the arguments of our printf-style helpers at each call.
#pragma once

// gnu_printf on every target: on mingw-w64 libstdc++ turns on the C99 formatter
// (__USE_MINGW_ANSI_STDIO), so the checks must follow C99, not msvcrt's dialect.
#if defined(__GNUC__)
#define PX_PRINTF_FORMAT(format_index, first_argument) \
  __attribute__((format(gnu_printf, format_index, first_argument)))
#else
#define PX_PRINTF_FORMAT(format_index, first_argument)
#endif
