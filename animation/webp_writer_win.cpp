// Debian's cross compiler has no libwebp, and the Windows Imaging Component has no WebP
// encoder: this build refuses .webp before anything is read or written.
#include "animation/webp_writer.h"

bool WebpWritable(std::string* why) {
  *why = "this Windows build cannot write WebP; write the animation as .gif";
  return false;
}

// Never reached: AnimationFormatOf refuses .webp first.
std::unique_ptr<AnimationWriter> OpenWebpWriter(const AnimationShape&, ReplacementFile*,
                                                std::string* error) {
  WebpWritable(error);
  return nullptr;
}
