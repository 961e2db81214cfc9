// Decoding photos with libvips: one loader per allowed format, chosen by the photo's content.
//
// A photo is decoded only by the libvips loader of the format its bytes announce (JPEG, PNG,
// TIFF, WebP, HEIF for HEIC and AVIF, JPEG XL), never by libvips' own guess: its SVG, PDF,
// matrix or ImageMagick loaders never see a photo, and a loader the image library blocks
// (image_library.h) counts as missing. Before
// libvips reads anything, the header is checked against the decoding limits (image_header.h).
//
// What comes out is what the scaler needs: the first frame or page of an animated or
// multi-page file (a HEIF file's primary image), with transparency flattened onto white (a
// gallery's copies are JPEGs, which know no transparency, and white is how a transparent
// photo looks on a page), still as stored otherwise: the EXIF orientation is left to the
// caller (Orientation()), except that HEIF and AVIF come upright, since libheif applies their
// own rotation and mirroring ("irot", "imir") while decoding.
//
// The decoder lives on one thread; several decoders may work at once. Call after
// TImageLibrary has started. libvips errors leave Decode() as vips::VError.
#pragma once

#include <cstdint>
#include <string>
#include <vips/vips8>

#include "imaging/image_header.h"
#include "imaging/image_operations.h"

namespace vistrel {

// Why a photo cannot be decoded.
enum class TDecodeFailure {
  kNone,
  kUnsupported,  // no photo of a format the program decodes
  kTooLarge,     // beyond the decoding limits
  kDamaged,      // a header that cannot be read, or a loader that fails on it
};

// The reason for a failed image, in German: "Format nicht unterstützt", "Bild zu groß",
// "Bilddatei beschädigt"; empty for kNone.
std::string DecodeFailureText(TDecodeFailure failure);

// True when this libvips has a loader for `format` that the image library does not block.
bool CanDecode(TImageFormat format);

// The largest JPEG shrink-on-load factor (8, 4, 2 or 1) that still gives at least `need`
// pixels of a `width` x `height` JPEG.
int JpegShrinkFactor(int64_t width, int64_t height, TSize need);

// A picture decoded at a fraction of the photo's size.
struct TDecodedPicture {
  vips::VImage image;
  // How much of the photo's stored size the picture shows: `eighths` / 8. Its last row and
  // column may cover only part of a pixel of the photo (a photo of 2667 rows is decoded at 3/8
  // into 1001 rows, of which 1000.125 are the photo), so a copy is scaled by this fraction,
  // not by the picture's size in pixels.
  int eighths = 8;
};

// A libvips blob over bytes owned by the caller; released with the object.
class TBlob {
 public:
  explicit TBlob(const std::string& bytes)
      : blob_(vips_blob_new(nullptr, bytes.data(), bytes.size())) {}
  ~TBlob() { vips_area_unref(VIPS_AREA(blob_)); }
  TBlob(const TBlob&) = delete;
  TBlob& operator=(const TBlob&) = delete;
  VipsBlob* get() const { return blob_; }

 private:
  VipsBlob* blob_;
};

class TPhotoDecoder {
 public:
  // Checks the photo `bytes` (which must outlive the decoder) and reads its header.
  explicit TPhotoDecoder(const std::string& bytes);

  TDecodeFailure Failure() const { return failure_; }
  bool Ok() const { return failure_ == TDecodeFailure::kNone; }
  TImageFormat Format() const { return format_; }
  // The size of the picture Decode(8, ..) gives, before Orientation() is applied.
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }
  // The EXIF orientation (1 to 8) still to be applied to the decoded picture.
  int Orientation() const { return orientation_; }

  // The smallest fraction of the stored size, in eighths, at which Decode() still gives at
  // least `need` (a size as stored): any eighth for an 8-bit colour JPEG whose picture at
  // that size fits the memory allowed for it (decoded by jpeg_decoder.h), 1/8, 1/4 or 1/2 for
  // other JPEGs (libvips' shrink-on-load), 8/8 for other formats.
  int Eighths(TSize need) const;
  // The picture decoded at `eighths` / 8 of its size, as Eighths() gives them; at least
  // `need` pixels for Decode(need, ..). A `sequential` picture may be decoded while it is read,
  // once from top to bottom.
  TDecodedPicture Decode(int eighths, bool sequential) const;
  TDecodedPicture Decode(TSize need, bool sequential) const {
    return Decode(Eighths(need), sequential);
  }
  // Decode() at the full size.
  vips::VImage DecodeWhole(bool sequential) const { return Decode(8, sequential).image; }

 private:
  // True when the picture at `eighths` is decoded by the program's own JPEG decoder.
  bool DecodesItself(int eighths) const;
  vips::VImage Load(int shrink, bool sequential) const;

  const std::string& bytes_;

  TBlob blob_;
  TImageFormat format_ = TImageFormat::kUnknown;
  TDecodeFailure failure_ = TDecodeFailure::kUnsupported;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  int orientation_ = 1;
  bool colour_jpeg_ = false;  // 8-bit, three components
};

}  // namespace vistrel
