// The container is written here rather than by libwebpmux, which assembles the whole
// file in memory: the file header, then one ANMF chunk a frame around the VP8L
// bitstream libwebp encodes, and the RIFF size put in at the end.
#include "animation/webp_writer.h"

#include <webp/encode.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Measured on 960 x 320 frames of the board's hidden text at parallax width 100: from
// method 0 to 6 and quality 25 to 100, grey frames differ by under 1 %, as their fresh
// dots, random bytes, are most of the file. Colour frames are 10 % smaller from method
// 1 on than at 0; beyond that they differ by under 1 %, and method 2 was the quickest.
constexpr int kMethod = 2;
constexpr float kQuality = 50;

// A RIFF file counts its size in 32 bits.
constexpr uint64_t kMaxFileSize = 0xFFFFFFF0u;

void Put24(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 0; shift < 24; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put24(out, v);
  out.push_back(static_cast<uint8_t>(v >> 24));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

std::string EncoderError(WebPEncodingError code) {
  if (code == VP8_ENC_ERROR_OUT_OF_MEMORY || code == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY) {
    return "cannot encode the WebP: not enough memory";
  }
  return "cannot encode the WebP: encoder error " + std::to_string(static_cast<int>(code));
}

// One frame on its way: its pixels, then its VP8L bitstream.
struct Slot {
  enum class State { kFree, kQueued, kEncoding, kDone } state = State::kFree;
  WebPPicture picture{};
  WebPMemoryWriter encoded{};
  WebPEncodingError result = VP8_ENC_OK;

  Slot() {
    WebPPictureInit(&picture);
    WebPMemoryWriterInit(&encoded);
  }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;
  ~Slot() {
    WebPPictureFree(&picture);
    WebPMemoryWriterClear(&encoded);
  }
};

class WebpAnimation final : public AnimationWriter {
 public:
  WebpAnimation(const AnimationShape& shape, ReplacementFile* out, size_t threads)
      : shape_(shape), out_(out), slots_(threads + 1) {}
  WebpAnimation(const WebpAnimation&) = delete;
  WebpAnimation& operator=(const WebpAnimation&) = delete;
  ~WebpAnimation() override { Stop(); }

  bool Begin(size_t threads, std::string* error);
  bool AddFrame(const RgbView& frame, std::string* error) override;
  bool Finish(std::string* error) override;

 private:
  void Work();
  void Stop();
  // Waits for the oldest frame still out, `slot`, and writes it.
  bool WriteOldest(Slot& slot, std::string* error);
  // Frame `index`'s share of the time, in milliseconds: the rounding does not add up.
  uint32_t Duration(uint64_t index) const;

  AnimationShape shape_;
  ReplacementFile* out_;
  std::vector<Slot> slots_;  // frame k goes into slot k % size
  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable done_;
  std::deque<Slot*> queue_;
  bool stopping_ = false;
  uint64_t added_ = 0;
  uint64_t written_ = 0;
  std::vector<uint8_t> header_;
};

bool WebpAnimation::Begin(size_t threads, std::string* error) {
  std::vector<uint8_t>& h = header_;
  PutTag(h, "RIFF");
  Put32(h, 0);  // the size, known at the end
  PutTag(h, "WEBP");
  PutTag(h, "VP8X");
  Put32(h, 10);
  Put32(h, 0x02);  // animated; no alpha, profile or metadata
  Put24(h, static_cast<uint32_t>(shape_.width - 1));
  Put24(h, static_cast<uint32_t>(shape_.height - 1));
  PutTag(h, "ANIM");
  Put32(h, 6);
  Put32(h, 0xFF000000u);  // opaque black behind, never seen: every frame covers it all
  h.push_back(0);         // loop for ever
  h.push_back(0);
  if (!out_->Write(h.data(), h.size(), error)) return false;
  try {
    for (size_t i = 0; i < threads; ++i) workers_.emplace_back(&WebpAnimation::Work, this);
  } catch (const std::system_error&) {
    // Fewer threads are only slower.
    if (workers_.empty()) {
      *error = "cannot encode the WebP: no thread could be started";
      return false;
    }
  }
  return true;
}

void WebpAnimation::Work() {
  WebPConfig config;
  WebPConfigInit(&config);
  config.lossless = 1;
  config.method = kMethod;
  config.quality = kQuality;
  // Keeps the colour of transparent pixels too: none are, but every frame must decode
  // to its picture whatever the encoder's defaults become.
  config.exact = 1;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    Slot& slot = *queue_.front();
    queue_.pop_front();
    slot.state = Slot::State::kEncoding;
    lock.unlock();
    slot.picture.writer = WebPMemoryWrite;
    slot.picture.custom_ptr = &slot.encoded;
    const bool ok = WebPEncode(&config, &slot.picture) != 0;
    const WebPEncodingError result = ok ? VP8_ENC_OK : slot.picture.error_code;
    WebPPictureFree(&slot.picture);  // the pixels are not needed any more
    lock.lock();
    slot.result = result;
    slot.state = Slot::State::kDone;
    done_.notify_all();
  }
}

void WebpAnimation::Stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}

uint32_t WebpAnimation::Duration(uint64_t index) const {
  const uint64_t fps = shape_.fps;
  const auto end = [fps](uint64_t k) { return (2000 * k + fps) / (2 * fps); };
  return static_cast<uint32_t>(end(index + 1) - end(index));
}

bool WebpAnimation::AddFrame(const RgbView& frame, std::string* error) {
  Slot& slot = slots_[added_ % slots_.size()];
  if (added_ - written_ == slots_.size() && !WriteOldest(slot, error)) return false;
  // The slot is free and no worker holds it: its fields are this thread's.
  WebPPictureInit(&slot.picture);
  slot.picture.use_argb = 1;
  slot.picture.width = frame.width;
  slot.picture.height = frame.height;
  if (!WebPPictureImportRGB(&slot.picture, frame.pixels, frame.width * 3)) {
    *error = EncoderError(VP8_ENC_ERROR_OUT_OF_MEMORY);
    return false;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    slot.state = Slot::State::kQueued;
    queue_.push_back(&slot);
  }
  queued_.notify_one();
  ++added_;
  return true;
}

bool WebpAnimation::WriteOldest(Slot& slot, std::string* error) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&slot] { return slot.state == Slot::State::kDone; });
    slot.state = Slot::State::kFree;
  }
  if (slot.result != VP8_ENC_OK) {
    *error = EncoderError(slot.result);
    return false;
  }
  // libwebp writes a file of its own: RIFF header, then the one VP8L chunk, padded.
  const size_t size = slot.encoded.size;
  const uint8_t* riff = slot.encoded.mem;
  if (size < 20 || std::memcmp(riff + 12, "VP8L", 4) != 0) {
    *error = "cannot encode the WebP: the encoder wrote no lossless bitstream";
    return false;
  }
  const uint64_t chunk = 16 + (size - 12);
  if (out_->written() + 8 + chunk > kMaxFileSize) {
    *error = "cannot encode the WebP: it would pass the format's 4 GB";
    return false;
  }
  std::vector<uint8_t> h;
  PutTag(h, "ANMF");
  Put32(h, static_cast<uint32_t>(chunk));
  Put24(h, 0);  // at the top left
  Put24(h, 0);
  Put24(h, static_cast<uint32_t>(shape_.width - 1));
  Put24(h, static_cast<uint32_t>(shape_.height - 1));
  Put24(h, Duration(written_));
  h.push_back(0x02);  // replaces the frame before rather than blending over it
  const bool ok =
      out_->Write(h.data(), h.size(), error) && out_->Write(riff + 12, size - 12, error);
  WebPMemoryWriterClear(&slot.encoded);
  WebPMemoryWriterInit(&slot.encoded);
  ++written_;
  return ok;
}

bool WebpAnimation::Finish(std::string* error) {
  while (written_ < added_) {
    if (!WriteOldest(slots_[written_ % slots_.size()], error)) return false;
  }
  Stop();
  std::vector<uint8_t> size;
  Put32(size, static_cast<uint32_t>(out_->written() - 8));
  return out_->WriteAt(4, size.data(), size.size(), error);
}

}  // namespace

bool WebpWritable(std::string*) { return true; }

std::unique_ptr<AnimationWriter> OpenWebpWriter(const AnimationShape& shape, ReplacementFile* out,
                                                std::string* error) {
  const size_t threads = std::max(1u, std::thread::hardware_concurrency());
  auto writer = std::make_unique<WebpAnimation>(shape, out, threads);
  if (!writer->Begin(threads, error)) return nullptr;
  return writer;
}
