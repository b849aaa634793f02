// Layers: numbered, window-sized bitmaps, one of them current in the drawing DC.
#include "canvas/gdi_win.h"
#include "canvas/icg.h"

std::int32_t CICG::CreateLayer(ICGLayer description) {
  auto layer = std::make_unique<ICGLayer>(description);
  gdi::Bitmap bitmap(gdi::CreateBitmap(window_dc, width, height));
  if (!bitmap) return 0;
  // The replaced bitmap is the previous current layer's, still owned by its record.
  if (SelectObject(draw_dc, bitmap.get()) == nullptr) return 0;
  layer->bitmap = bitmap.release();
  layer->number = ++layer_counter;
  layers.push_back(std::move(layer));
  current_layer = layer_counter;
  return current_layer;
}

ICGLayer* CICG::FindLayer(std::int32_t number) const {
  for (const auto& layer : layers) {
    if (layer->number == number) return layer.get();
  }
  return nullptr;
}

std::int32_t CICG::SelectLayer(std::int32_t number) {
  const ICGLayer* layer = FindLayer(number);
  if (layer == nullptr || SelectObject(draw_dc, layer->bitmap) == nullptr) return 0;
  current_layer = number;
  return number;
}

std::int32_t CICG::SetLayerMode(std::int32_t number, std::int32_t mode) {
  ICGLayer* layer = FindLayer(number);
  if (layer == nullptr) return 0;
  layer->mode = mode;
  return mode;
}

std::int32_t CICG::GetBaseLayer() const { return layers.empty() ? 0 : layers.front()->number; }

bool CICG::ReselectCurrentLayer() {
  const ICGLayer* layer = FindLayer(current_layer);
  return layer == nullptr || SelectObject(draw_dc, layer->bitmap) != nullptr;
}
