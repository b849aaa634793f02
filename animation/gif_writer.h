// An animated GIF encoded by the platform's encoder: giflib natively, which hands out the
// file as it goes, the Windows Imaging Component on Windows, which gives it whole at the
// end. Every frame covers the whole picture with 256
// palette indices and is shown for the same delay; the animation loops for ever.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// 256 colours, 0x00RRGGBB.
using GifPalette = std::array<uint32_t, 256>;

class GifWriter {
 public:
  GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;
  ~GifWriter();

  // Each call returns false with `error` set (one line) when the encoder fails; the
  // writer is then of no further use.
  bool Begin(int32_t width, int32_t height, const GifPalette& palette, uint16_t delay_cs,
             std::string* error);
  // width x height indices, top line first.
  bool AddFrame(const uint8_t* indices, std::string* error);
  // Moves the bytes encoded since the last call into `bytes` (none on Windows).
  void TakeEncoded(std::vector<uint8_t>* bytes);
  // The rest of the file: all of it when TakeEncoded was never called.
  bool Finish(std::vector<uint8_t>* gif, std::string* error);

 private:
  struct Encoder;
  std::unique_ptr<Encoder> encoder_;
};
