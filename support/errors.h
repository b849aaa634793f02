// Error types that travel through the library and the program.
//
// The error classes are thrown by value and caught by reference; they carry no virtual
// operations so that their layout stays the plain record the array and table code fills.
// Message texts are thrown as `const char*` and point at constants (or, for the canvas,
// at one shared buffer, see canvas_error.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct CIError {
  std::int32_t code;

  explicit constexpr CIError(std::int32_t error_code = 0) : code(error_code) {}
};

// An index or size out of range. `value` is the offending index, or the capacity that
// could not grow (4294967295 is a legal value there, hence unsigned). `extra` is kept for
// the record layout; nothing gives it a value.
struct CIRangeError : CIError {
  std::uint32_t value;
  std::uint32_t extra;

  constexpr CIRangeError(std::int32_t error_code, std::uint32_t offending)
      : CIError(error_code), value(offending), extra(0) {}
};

struct CIMemoryError : CIError {
  explicit constexpr CIMemoryError(std::int32_t error_code) : CIError(error_code) {}
};

static_assert(!std::is_polymorphic_v<CIRangeError> && !std::is_polymorphic_v<CIMemoryError>,
              "the error classes are plain records without a virtual table");

// Codes raised by the array and table classes.
namespace error_code {
inline constexpr std::int32_t kArrayIndex = 1;
inline constexpr std::int32_t kArrayMemory = 2;
inline constexpr std::int32_t kTableIndex = 0x501;
inline constexpr std::int32_t kTableMemory = 0x502;
inline constexpr std::int32_t kTableGrowth = 0x503;
}  // namespace error_code

// The five values the C run-time hands to an invalid-parameter handler, in its order.
// Our own bounded helpers throw it with null pointers and zeros; no catcher reads them.
struct CInvPrmException {
  const wchar_t* expression;
  const wchar_t* function;
  const wchar_t* file;
  std::uint32_t line;
  std::uintptr_t reserved;
};

static_assert(offsetof(CInvPrmException, line) == 3 * sizeof(void*));
static_assert(offsetof(CInvPrmException, reserved) > offsetof(CInvPrmException, line));

// Texts thrown by the matrix classes: the operation, two ASCII blanks or one ideographic
// space, then the fault. The blanks are part of the texts that catchers log; keep them.
inline constexpr char kMatrixAllocFailed[] = "CMatrix::CMatrix  要素領域確保に失敗";
inline constexpr char kMatrixCopyAllocFailed[] =
    "CMatrix::CMatrix  コピーコンストラクタ　要素領域確保に失敗";
inline constexpr char kMatrixGetOutOfRange[] = "CMatrix::Get  領域外の要素を参照";
inline constexpr char kMatrixSetOutOfRange[] = "CMatrix::Set  領域外の要素を参照";
inline constexpr char kMatrixAssignMismatch[] = "CMatrix::=　行列型アンマッチ";
inline constexpr char kMatrixMultiplyMismatch[] = "CMatrix::*　行列型アンマッチ";
inline constexpr char kPosShapeMismatch[] = "C2DPos::C2DPos  コンストラクタ　行列型アンマッチ";
