#include "images/depth_animation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// A file name with one frame-number field: what comes before and after it, and the
// digits a number is padded to.
struct NumberedName {
  std::string before;
  std::string after;
  size_t digits = 0;

  std::string Of(uint64_t number) const {
    std::string text = std::to_string(number);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return before + text + after;
  }
  // The number a file name holds, if it is a name of this sequence.
  std::optional<uint64_t> NumberIn(const std::string& name) const {
    if (name.size() <= before.size() + after.size() || name.rfind(before, 0) != 0 ||
        name.compare(name.size() - after.size(), after.size(), after) != 0) {
      return std::nullopt;
    }
    const std::string text = name.substr(before.size(), name.size() - before.size() - after.size());
    if (text.size() > 19 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    const uint64_t number = std::stoull(text);
    if (Of(number) != name) return std::nullopt;  // padded otherwise: another sequence
    return number;
  }
};

// "%d", "%04d" and "%%" as printf reads them; a name with no field, or with more than
// one, is no sequence.
std::optional<NumberedName> ParseNumberedName(const std::string& name) {
  NumberedName parsed;
  bool field = false;
  std::string* side = &parsed.before;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '%') {
      *side += name[i];
      continue;
    }
    if (i + 1 < name.size() && name[i + 1] == '%') {
      *side += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < name.size() && name[j] >= '0' && name[j] <= '9') ++j;
    if (field || j >= name.size() || name[j] != 'd' || j - i - 1 > 2) return std::nullopt;
    parsed.digits = j > i + 1 ? std::stoul(name.substr(i + 1, j - i - 1)) : 0;
    field = true;
    side = &parsed.after;
    i = j;
  }
  if (!field) return std::nullopt;
  return parsed;
}

}  // namespace

DepthAnimation::~DepthAnimation() {
  gif_.reset();
  if (gif_file_ != nullptr) std::fclose(gif_file_);
}

bool DepthAnimation::Names(const std::string& path) {
  if (ParseNumberedName(std::filesystem::path(path).filename().string()).has_value()) return true;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool gif = IsGif(file);
  std::fclose(file);
  return gif;
}

bool DepthAnimation::Open(const std::string& path, ImageError* error) {
  path_ = path;
  const std::filesystem::path name(path);
  return ParseNumberedName(name.filename().string()).has_value() ? OpenSequence(path, error)
                                                                 : OpenGif(path, error);
}

bool DepthAnimation::OpenSequence(const std::string& path, ImageError* error) {
  const std::filesystem::path full(path);
  const NumberedName name = *ParseNumberedName(full.filename().string());
  const std::filesystem::path folder = full.parent_path();
  std::vector<uint64_t> numbers;
  std::error_code listing;
  for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, listing), end;
       !listing && it != end; it.increment(listing)) {
    if (const auto number = name.NumberIn(it->path().filename().string()))
      numbers.push_back(*number);
  }
  std::sort(numbers.begin(), numbers.end());
  if (listing || numbers.empty()) {
    error->message = "no file matches " + Quoted(path);
    return false;
  }
  for (size_t i = 1; i < numbers.size(); ++i) {
    if (numbers[i] != numbers[i - 1] + 1) {
      error->message = "the sequence " + Quoted(path) +
                       " has a gap: " + Quoted(name.Of(numbers[i - 1] + 1)) + " is missing";
      return false;
    }
  }
  for (const uint64_t number : numbers) {
    files_.push_back((folder / name.Of(number)).string());
    ImageFile file;
    if (!file.Open(files_.back(), error)) return false;
    if (files_.size() == 1) {
      width_ = file.width();
      height_ = file.height();
    } else if (file.width() != width_ || file.height() != height_) {
      error->message = Quoted(files_.back()) + " is " + std::to_string(file.width()) + " x " +
                       std::to_string(file.height()) + " pixels, the sequence's first frame " +
                       std::to_string(width_) + " x " + std::to_string(height_);
      return false;
    }
  }
  frames_ = files_.size();
  return true;
}

bool DepthAnimation::OpenGif(const std::string& path, ImageError* error) {
  gif_file_ = std::fopen(path.c_str(), "rb");
  if (gif_file_ == nullptr) {
    error->message = "cannot open " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  GifLayout layout;
  const std::string damage = WalkGif(gif_file_, &layout);
  if (!damage.empty()) {
    error->message = Quoted(path) + " " + damage;
    return false;
  }
  if (layout.width < 1 || layout.height < 1 || layout.width > kMaxImageSide ||
      layout.height > kMaxImageSide) {
    error->message = Quoted(path) + " is " + std::to_string(layout.width) + " x " +
                     std::to_string(layout.height) + " pixels; at most " +
                     std::to_string(kMaxImageSide) + " a side is accepted";
    return false;
  }
  width_ = layout.width;
  height_ = layout.height;
  frames_ = layout.frames;
  return true;
}

bool DepthAnimation::Next(RgbPicture* frame, ImageError* error) {
  const uint64_t index = next_;
  next_ = (next_ + 1) % frames_;
  if (!files_.empty()) {
    ImageFile file;
    return file.Open(files_[index], error) && file.Decode(frame, error);
  }
  if (index == 0) {
    // From the first frame again: the decoder starts over at the file's start.
    std::fseek(gif_file_, 0, SEEK_SET);
    gif_ = std::make_unique<GifFrames>();
    gif_->Start(gif_file_, path_);
  }
  return gif_->Next(frame, error);
}
