// Reading a GIF back with the decoder of the library that wrote it: giflib natively,
// the Windows Imaging Component on Windows. Throws std::runtime_error when it fails.
#pragma once

#include <cstdint>
#include <vector>

struct DecodedGif {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<std::vector<uint32_t>> frames;  // 0x00RRGGBB, top line first
  std::vector<uint32_t> delays;               // hundredths of a second
};

DecodedGif DecodeGif(const std::vector<uint8_t>& bytes);
