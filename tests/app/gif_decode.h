// Reading a GIF back with the decoder of the library that wrote it: giflib natively,
// the Windows Imaging Component on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedGif {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::vector<uint32_t>> frames;  // 0x00RRGGBB, top line first
  std::vector<uint32_t> delays;               // hundredths of a second
};

// False with `error` set when the bytes do not decode.
bool DecodeGif(const std::vector<uint8_t>& bytes, DecodedGif* gif, std::string* error);
