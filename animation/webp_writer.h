// Animated lossless WebP: every frame decodes to exactly the picture given. Frames are
// encoded on as many threads as the machine has, a few frames at a time, and written
// in order as they are done.
#pragma once

#include <memory>
#include <string>

#include "animation/animation_writer.h"

// Whether this build can write WebP; when not, `why` says so in one line.
bool WebpWritable(std::string* why);

// Starts the file (its header) in `out`; nothing with `error` set on failure.
std::unique_ptr<AnimationWriter> OpenWebpWriter(const AnimationShape& shape, ReplacementFile* out,
                                                std::string* error);
