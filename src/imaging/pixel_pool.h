// Pixel memory for decoded photos, kept from photo to photo.
//
// A decoded photo is the largest block a run allocates (about 5 MB for a 12-megapixel photo
// decoded at 3/8), and one is alive on every image thread at once whenever the threads happen
// to decode together. Taken from and given back to the C library each time, those blocks made
// a run's resident memory depend on how often that happened, so a longer run reached a higher
// peak; and blocks freed between small ones that live on left the memory pool scattered.
//
// Picture() hands out a picture whose pixels lie in a buffer of the pool; when libvips closes
// the picture (its last reference is gone), the buffer returns to the pool for the next photo. The
// pool never holds more buffers than were in use at once, and a buffer too small for the picture
// asked for is replaced by one that fits, so its memory stays at the most the image threads ever
// needed together: reached in the first photos of a run and level after that.
//
// The photo decoder takes its pictures from Shared(), which lives as long as the program. A pool
// must outlive its pictures. Safe from any thread; a picture may be closed on another thread
// than the one that took it.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>
#include <vips/vips8>

namespace vistrel {

class TPixelPool {
 public:
  TPixelPool();
  ~TPixelPool();
  TPixelPool(const TPixelPool&) = delete;
  TPixelPool& operator=(const TPixelPool&) = delete;

  // The pool of the decoded photos.
  static TPixelPool& Shared();

  // An 8-bit three-band sRGB picture of `width` x `height` pixels, rows packed (3 * width bytes
  // each; VIPS_IMAGE_ADDR() gives a pixel's address), its contents undefined. Throws
  // vips::VError when the size is not positive.
  vips::VImage Picture(int width, int height);
  // The bytes kept for pictures not in use at the moment.
  size_t SpareBytes();

 private:
  struct TBuffer;
  // The smallest spare buffer of at least `size` bytes, else a new one.
  std::unique_ptr<TBuffer> Take(size_t size);
  void Give(std::unique_ptr<TBuffer> buffer);
  // libvips' "postclose" signal of a picture: its buffer goes back to its pool.
  static void Return(VipsImage* image, void* buffer);

  std::mutex mutex_;
  std::vector<std::unique_ptr<TBuffer>> spare_;
};

}  // namespace vistrel
