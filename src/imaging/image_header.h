// Reading the size a photo declares, and where its metadata lie, without decoding it.
//
// The format is told by the photo's signature (photo_format.h). Before any decoder sees a photo,
// its header is read here, by the program's own code, and the photo is refused when it claims
// more pixels than the decoding limits allow: a small file can declare a picture of 100,000 x
// 100,000 pixels, and decoding it would take gigabytes. The size checked is every size the
// decoder would allocate for: a PNG's or WebP's canvas, a TIFF's first image and its tiles, a
// HEIF file's every image item (thumbnails, alpha planes and grid tiles included) and the
// output of a grid or overlay that makes the primary image, a JPEG XL's image.
//
// Bounds are checked on every read; nothing here allocates more than a few small tables.
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "imaging/jpeg_header.h"
#include "model/photo_format.h"

namespace vistrel {

struct TImageHeader {
  TImageFormat format = TImageFormat::kUnknown;
  bool valid = false;  // the header was read whole and declares a size
  // The size of the image the decoder makes, as stored (before EXIF orientation; for HEIF the
  // primary item's "ispe", before its rotation).
  uint32_t width = 0;
  uint32_t height = 0;
  // The largest width and height of anything the decoder may allocate for (see above); at
  // least width and height.
  uint32_t max_width = 0;
  uint32_t max_height = 0;
};

// Reads the header of the photo `bytes` (the whole file: a TIFF's first directory or a HEIF
// file's metadata may stand anywhere in it).
TImageHeader ParseImageHeader(std::string_view bytes);

// The metadata items of a HEIF (or AVIF) file `bytes`: its EXIF (a TIFF structure, from its
// byte-order mark on) and its XMP packet, each empty where there is none. Views into `bytes`.
struct THeifMetadata {
  std::string_view exif;
  std::string_view xmp;
};
THeifMetadata ReadHeifMetadata(std::string_view bytes);

// Formats other than JPEG are decoded at their full size (JPEG shrinks on load), so nothing a
// decoder makes of them may hold more pixels than this: as many as a progressive JPEG.
inline constexpr uint64_t kMaxWholeDecodePixels = kMaxProgressivePixels;

// True when a photo of this header may be decoded: valid, and nothing larger than
// kMaxImageSide (jpeg_header.h) on either side; a JPEG also within the limits of progressive
// JPEGs (IsWithinDecodeLimits of jpeg_header.h, counted in `bytes`, the whole file), another
// format nothing of more than kMaxWholeDecodePixels.
bool IsWithinDecodeLimits(const TImageHeader& header, std::string_view bytes);

}  // namespace vistrel
