#include "imaging/pixel_pool.h"

#include <algorithm>

namespace vistrel {

struct TPixelPool::TBuffer {
  TPixelPool* pool = nullptr;
  std::unique_ptr<unsigned char[]> bytes;
  size_t size = 0;
};

TPixelPool::TPixelPool() = default;
TPixelPool::~TPixelPool() = default;

TPixelPool& TPixelPool::Shared() {
  static TPixelPool pool;
  return pool;
}

std::unique_ptr<TPixelPool::TBuffer> TPixelPool::Take(size_t size) {
  std::unique_ptr<TBuffer> buffer;
  {
    std::lock_guard lock(mutex_);
    auto fitting = spare_.end();
    for (auto it = spare_.begin(); it != spare_.end(); ++it)
      if ((*it)->size >= size && (fitting == spare_.end() || (*it)->size < (*fitting)->size))
        fitting = it;
    // None fits: the largest spare is too small and makes way for the new buffer, so the pool
    // never holds more buffers than were in use at once.
    if (fitting == spare_.end() && !spare_.empty())
      fitting = std::max_element(spare_.begin(), spare_.end(),
                                 [](const auto& a, const auto& b) { return a->size < b->size; });
    if (fitting != spare_.end()) {
      buffer = std::move(*fitting);
      spare_.erase(fitting);
    }
  }
  if (buffer && buffer->size >= size) return buffer;
  buffer = std::make_unique<TBuffer>();
  buffer->pool = this;
  // Not cleared: the decoder writes every byte.
  buffer->bytes = std::make_unique_for_overwrite<unsigned char[]>(size);
  buffer->size = size;
  return buffer;
}

void TPixelPool::Give(std::unique_ptr<TBuffer> buffer) {
  std::lock_guard lock(mutex_);
  spare_.push_back(std::move(buffer));
}

void TPixelPool::Return(VipsImage*, void* buffer) {
  // The picture owned the buffer until now.
  std::unique_ptr<TBuffer> owned(static_cast<TBuffer*>(buffer));
  TPixelPool* pool = owned->pool;
  pool->Give(std::move(owned));
}

vips::VImage TPixelPool::Picture(int width, int height) {
  if (width <= 0 || height <= 0) throw vips::VError("no picture of that size");
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  std::unique_ptr<TBuffer> buffer = Take(size);
  VipsImage* image =
      vips_image_new_from_memory(buffer->bytes.get(), size, width, height, 3, VIPS_FORMAT_UCHAR);
  if (!image) {
    Give(std::move(buffer));
    throw vips::VError();
  }
  image->Type = VIPS_INTERPRETATION_sRGB;
  // From here the picture owns the buffer, and hands it back when it closes.
  g_signal_connect(image, "postclose", G_CALLBACK(Return), buffer.release());
  return vips::VImage(image);  // takes the reference
}

size_t TPixelPool::SpareBytes() {
  std::lock_guard lock(mutex_);
  size_t bytes = 0;
  for (const auto& buffer : spare_) bytes += buffer->size;
  return bytes;
}

}  // namespace vistrel
