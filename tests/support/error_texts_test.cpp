#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/canvas_error.h"
#include "support/errors.h"

namespace {

// "　" (U+3000) in code page 932.
constexpr char kIdeographicSpace[] = "\x81\x40";

TEST(MatrixTextsTest, SeparateOperationAndFaultAsWritten) {
  const struct {
    const char* text;
    const char* operation;
    const char* separator;
  } cases[] = {
      {kMatrixAllocFailed, "CMatrix::CMatrix", "  "},
      {kMatrixCopyAllocFailed, "CMatrix::CMatrix", "  "},
      {kMatrixGetOutOfRange, "CMatrix::Get", "  "},
      {kMatrixSetOutOfRange, "CMatrix::Set", "  "},
      {kMatrixAssignMismatch, "CMatrix::=", kIdeographicSpace},
      {kMatrixMultiplyMismatch, "CMatrix::*", kIdeographicSpace},
      {kPosShapeMismatch, "C2DPos::C2DPos", "  "},
  };
  for (const auto& c : cases) {
    const std::string text = c.text;
    const std::string head = std::string(c.operation) + c.separator;
    EXPECT_EQ(head, text.substr(0, head.size()));
    // The fault itself is Japanese: its first byte is a lead byte, not a third blank.
    EXPECT_GE(static_cast<unsigned char>(text[head.size()]), 0x81) << text;
  }
  // The ideographic space that separates the words of the copy-construction fault.
  EXPECT_NE(std::string::npos, std::string(kMatrixCopyAllocFailed).find(kIdeographicSpace));
  EXPECT_EQ(28u, std::strlen(kMatrixAssignMismatch))
      << "\"CMatrix::=\" (10 bytes), U+3000 (2) and 8 double-byte characters in code page 932";
}

TEST(CanvasErrorTextTest, NamesThePathAsGivenAndTheLine) {
  const char* text = FormatCanvasError("canvas/icg.cpp", 120);
  EXPECT_EQ(CanvasErrorText(), text) << "the text lives in the one shared buffer";
  EXPECT_STREQ("*vornack error : canvas/icg.cpp(120)", text);
}

TEST(CanvasErrorTextTest, TheSecondErrorReplacesAllOfTheFirst) {
  FormatCanvasError("a/much/longer/path/to/the/canvas/source/icg.cpp", 1000);
  FormatCanvasError("icg.cpp", 7);
  EXPECT_STREQ("*vornack error : icg.cpp(7)", CanvasErrorText());
}

TEST(CanvasErrorTextTest, CutsAPathTooLongForTheBuffer) {
  const std::string path(400, 'p');
  const std::string text = FormatCanvasError(path.c_str(), 5);
  EXPECT_EQ(kCanvasErrorTextSize - 1, text.size());
  EXPECT_EQ("*vornack error : ppp", text.substr(0, 20));
}

}  // namespace
