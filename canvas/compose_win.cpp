// DrawFrame: the layers composed by their modes into the composition bitmap, then
// shown in the window.
//
// The picture lives either in the composition bitmap (for the GDI modes 1 and 3, and
// for the window) or in dst_buffer (for the pixel modes 2, 4, 5 and 6), and moves
// between the two only when the next layer needs it elsewhere; so a run of pixel-mode
// layers costs one read and one write of the picture, not one of each per layer. A
// plain copy (SRCCOPY) of a whole layer replaces the picture, so it is read straight
// into the buffer. Bitmaps whose bits are read or set are first taken out of their DC,
// as GDI requires; since selecting a canvas-sized bitmap costs Wine about as much as
// reading all its bits, a DC is parked only when it holds such a bitmap.
#include "canvas/gdi_win.h"
#include "canvas/icg.h"
#include "canvas/pixel_kernels.h"
#include "canvas/pixel_memory.h"
#include "canvas/transfer_win.h"
#include "support/scoped_win.h"

class CanvasComposer {
 public:
  explicit CanvasComposer(CICG& canvas)
      : c_(canvas),
        parking_(gdi::CreateBitmap(canvas.draw_dc, 0, 0)),
        drawing_(static_cast<HBITMAP>(GetCurrentObject(canvas.draw_dc, OBJ_BITMAP))) {}
  ~CanvasComposer() {
    // A frame that failed half way still leaves the composition bitmap in its DC.
    if (compose_parked_) SelectObject(c_.compose_dc, c_.compose_bitmap);
  }
  CanvasComposer(const CanvasComposer&) = delete;
  CanvasComposer& operator=(const CanvasComposer&) = delete;

  bool Compose(const ICGLayer& layer) {
    switch (layer.mode.load()) {
      case icg_mode::kCopy:
        if (layer.rop == SRCCOPY) {
          if (!ReadLayer(layer, c_.dst_buffer)) return false;
          in_buffer_ = true;
          return true;
        }
        return PictureInBitmap() && SelectLayer(layer) &&
               BitBlt(c_.compose_dc, 0, 0, c_.width, c_.height, c_.draw_dc, 0, 0, layer.rop);
      case icg_mode::kTransparent:
        if (c_.key_transparency == CICG::KeyTransparency::kTransparentBlt) {
          return PictureInBitmap() && SelectLayer(layer) && TransparentCopy(layer);
        }
        if (!PictureInBuffer() || !ReadLayer(layer, c_.src_buffer)) return false;
        kernels::KeyCopy(c_.src_buffer, c_.dst_buffer, PixelCount(),
                         kernels::PixelFromColor(layer.key_color));
        return true;
      case icg_mode::kRegionCopy:
        return PictureInBitmap() && SelectLayer(layer) && RegionCopy(layer);
      case icg_mode::kAlphaBlend:
        if (!PictureInBuffer() || !ReadLayer(layer, c_.src_buffer)) return false;
        kernels::AlphaBlend(c_.src_buffer, c_.dst_buffer, c_.width, SourceRegion(layer),
                            kernels::PixelFromColor(layer.key_color), layer.transparency);
        return true;
      case icg_mode::kAdditive:
        if (!PictureInBuffer() || !ReadLayer(layer, c_.src_buffer)) return false;
        kernels::AddSaturate(c_.src_buffer, c_.dst_buffer, c_.width, SourceRegion(layer),
                             kernels::PixelFromColor(layer.key_color));
        return true;
      case icg_mode::kStencil:
        return Stencil(layer);
      default:
        return true;  // hidden, and every value without a meaning
    }
  }

  // Shows the picture in the window and makes the current layer current again.
  bool Present() {
    if (!PictureInBitmap()) return false;
    if (!BitBlt(c_.window_dc, 0, 0, c_.width, c_.height, c_.compose_dc, 0, 0, SRCCOPY)) {
      return false;
    }
    const ICGLayer* current = c_.FindLayer(c_.current_layer);
    return current == nullptr || current->bitmap == drawing_ || c_.ReselectCurrentLayer();
  }

 private:
  std::size_t PixelCount() const {
    return static_cast<std::size_t>(c_.width) * static_cast<std::size_t>(c_.height);
  }

  kernels::Region SourceRegion(const ICGLayer& layer) const {
    const RECT& r = layer.source_rect;
    return kernels::RegionFromRect(r.left, r.top, r.right, r.bottom, c_.width, c_.height);
  }

  bool SelectLayer(const ICGLayer& layer) {
    if (drawing_ == layer.bitmap) return true;
    if (SelectObject(c_.draw_dc, layer.bitmap) == nullptr) return false;
    drawing_ = layer.bitmap;
    return true;
  }

  bool ReadLayer(const ICGLayer& layer, std::uint32_t* pixels) {
    if (drawing_ == layer.bitmap) {
      // The drawing DC lets go of the layer, so that its bits can be read.
      if (!parking_ || SelectObject(c_.draw_dc, parking_.get()) == nullptr) return false;
      drawing_ = parking_.get();
    }
    return ReadBitmapBits(c_.window_dc, layer.bitmap, c_.width, c_.height, pixels);
  }

  bool ParkComposition() {
    if (compose_parked_) return true;
    if (!parking_ || SelectObject(c_.compose_dc, parking_.get()) == nullptr) return false;
    compose_parked_ = true;
    return true;
  }

  bool PictureInBuffer() {
    if (in_buffer_) return true;
    if (!ParkComposition() ||
        !ReadBitmapBits(c_.window_dc, c_.compose_bitmap, c_.width, c_.height, c_.dst_buffer)) {
      return false;
    }
    in_buffer_ = true;
    return true;
  }

  bool PictureInBitmap() {
    if (!in_buffer_) return true;
    if (!ParkComposition()) return false;
    const bool written =
        WriteBitmapBits(c_.window_dc, c_.compose_bitmap, c_.width, c_.height, c_.dst_buffer);
    if (SelectObject(c_.compose_dc, c_.compose_bitmap) == nullptr) return false;
    compose_parked_ = false;
    in_buffer_ = false;
    return written;
  }

  bool TransparentCopy(const ICGLayer& layer) {
    return TransparentBlt(c_.compose_dc, 0, 0, c_.width, c_.height, c_.draw_dc, 0, 0, c_.width,
                          c_.height, layer.key_color) != FALSE;
  }

  // A region of the picture so far, scaled into the layer's destination rectangle over
  // a layer cleared to its key colour, then the layer over the picture.
  bool RegionCopy(const ICGLayer& layer) {
    gdi::Brush key(gdi::CreateBrush(layer.key_color));
    const RECT whole{0, 0, c_.width, c_.height};
    if (!key || !FillRect(c_.draw_dc, &whole, key.get())) return false;
    const RECT& s = layer.source_rect;
    const RECT& d = layer.dest_rect;
    if (!TransparentBlt(c_.draw_dc, d.left, d.top, d.right - d.left, d.bottom - d.top,
                        c_.compose_dc, s.left, s.top, s.right - s.left, s.bottom - s.top,
                        layer.key_color)) {
      return false;
    }
    return TransparentCopy(layer);
  }

  bool Stencil(const ICGLayer& layer) {
    // Any other existing layer may show through; a number that names no layer (or this
    // layer itself) is not followed and the stencil adds nothing.
    const ICGLayer* source = c_.FindLayer(static_cast<std::int32_t>(layer.source_layer));
    if (source == nullptr || source == &layer) return true;
    if (!c_.stencil_scratch) {
      // Kept for later frames; without it the stencil is left out of this frame.
      c_.stencil_scratch.reset(AllocatePixels(PixelCount()));
      if (!c_.stencil_scratch) return true;
    }
    if (!PictureInBuffer() || !ReadLayer(layer, c_.stencil_scratch.get()) ||
        !ReadLayer(*source, c_.src_buffer)) {
      return false;
    }
    kernels::Stencil(c_.stencil_scratch.get(), c_.src_buffer, c_.dst_buffer, PixelCount(),
                     kernels::PixelFromColor(layer.key_color));
    return true;
  }

  CICG& c_;
  gdi::Bitmap parking_;          // the stock 1 x 1 bitmap: selecting it costs nothing
  HBITMAP drawing_;              // what the drawing DC holds now
  bool in_buffer_ = false;       // dst_buffer holds the picture, the bitmap is behind
  bool compose_parked_ = false;  // the composition bitmap is out of its DC
};

std::int32_t CICG::DrawFrame() {
  // A clipboard copy waits for the frame to be whole (see CopyToClipboard).
  ScopedCriticalSection hold(canvas_lock);
  CanvasComposer composer(*this);
  for (const auto& layer : layers) {
    if (!composer.Compose(*layer)) {
      // Drawing after a failed frame still goes to the layer the owner made current.
      ReselectCurrentLayer();
      return 0;
    }
  }
  return composer.Present() ? 1 : 0;
}
