// Bounded copy, formatting and path splitting and joining into fixed-size byte buffers.
//
// Each operation either produces its whole result or leaves every destination it was
// given as an empty string (when there is room for a terminator at all), sets errno to
// EINVAL or ERANGE as the C run-time's secure functions do, and throws
// CInvPrmException with null pointers and zeros. We throw from here instead of relying
// on the run-time's invalid-parameter hook: see invalid_parameter.h for why that hook
// cannot throw with this toolchain.
//
// Paths follow the Windows rules in code page 932: "\\" and "/" separate folders,
// "X:" at the start is a drive, and a trail byte that happens to be 0x5C is not a
// separator.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "support/errors.h"
#include "support/printf_format.h"

// Capacities of the path parts, terminator included, as the settings code uses them.
inline constexpr std::size_t kPathCapacity = 260;
inline constexpr std::size_t kDriveCapacity = 3;
inline constexpr std::size_t kFolderCapacity = 256;
inline constexpr std::size_t kNameCapacity = 256;
inline constexpr std::size_t kExtensionCapacity = 256;

// Copies `source` whole into `destination`. Fails when either pointer is null, the
// capacity is 0, or the text with its terminator needs more than `capacity` bytes.
void BoundedCopy(char* destination, std::size_t capacity, const char* source);

template <std::size_t N>
void BoundedCopy(char (&destination)[N], const char* source) {
  BoundedCopy(destination, N, source);
}

// printf-style formatting; fails when the result does not fit, on a null format or
// destination, a capacity of 0, or an encoding error.
void BoundedFormat(char* destination, std::size_t capacity, const char* format, ...)
    PX_PRINTF_FORMAT(3, 4);
void BoundedFormatV(char* destination, std::size_t capacity, const char* format,
                    std::va_list arguments);

// Splits `path` into drive ("X:" or empty), folder (up to and including the last
// separator), base name and extension (from the last dot of the name on, dot included).
// A part that is not wanted is passed as a null pointer with capacity 0; a null pointer
// with a capacity or a pointer with capacity 0 is invalid. When any wanted part does
// not fit, all of them are left empty.
void SplitPath(const char* path, char* drive, std::size_t drive_capacity, char* folder,
               std::size_t folder_capacity, char* name, std::size_t name_capacity, char* extension,
               std::size_t extension_capacity);

// Joins the parts into `destination`; any part may be null or empty. The drive gives
// its first character and a colon, a folder without a final separator gets "\\", and
// an extension without a leading dot gets one.
void JoinPath(char* destination, std::size_t capacity, const char* drive, const char* folder,
              const char* name, const char* extension);
