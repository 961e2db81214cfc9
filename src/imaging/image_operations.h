// Image operations over libvips: scaled JPEG copies for galleries and bitmaps for the windows.
//
// Every size follows one rule, FitIntoBox: the photo is fitted into a box with its proportions
// kept, enlarged too when it is smaller, and the side that is not binding is rounded as MulDiv
// rounds. Copies are upright (the EXIF orientation is applied and the box is compared with the
// upright size), in sRGB (an embedded colour profile, CMYK or greyscale is converted) and carry
// no metadata. Only JPEG files are decoded, by libvips' JPEG loader, and only when their header
// is within the decoding limits of jpeg_header.h. libvips errors never leave this module.
//
// Call after TImageLibrary has started. All functions may be called from several threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generation/image_processor.h"

namespace vistrel {

struct TSize {
  int64_t width = 0;
  int64_t height = 0;
  bool operator==(const TSize&) const = default;
};

// round(a * b / c) with a 64-bit product, an exact half rounded away from zero; -1 when c is 0
// or the result does not fit in 32 bits.
int64_t MulDiv(int64_t a, int64_t b, int64_t c);

// The size of a w x h image fitted into a box_width x box_height box.
TSize FitIntoBox(int64_t w, int64_t h, int64_t box_width, int64_t box_height);

// Reads `source` once and makes one JPEG per request (see TImageProcessor::ScaleImage).
bool ScaleToJpegs(const std::string& source, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies);
// The same for a photo already read into memory. Each copy depends on the photo's bytes and its
// own request only, never on the other requests of the call.
bool ScaleJpegData(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                   std::vector<TScaledCopy>& copies);

// Writes a scaled copy of `source` to the new file `target` (never replacing an existing one).
// A quality outside 1..100 is taken as the nearest value in that range. False when nothing
// was written.
bool CreateScaledJpeg(const std::string& source, const std::string& target, uint32_t max_width,
                      uint32_t max_height, int quality);

// An in-memory 24-bit BMP file and the size of its picture; empty when the file could not be
// read.
struct TBitmap {
  int width = 0;
  int height = 0;
  std::string bmp;
  bool Empty() const { return bmp.empty(); }
};

// The photo fitted into box_width x box_height (the preview of the image list).
TBitmap RenderPreviewBitmap(const std::string& file, int box_width, int box_height);
// The picture at its own (upright) size. JPEG and PNG files are read.
TBitmap RenderFullSizeBitmap(const std::string& file);

// Index of the last encoder for `mime_type` ("image/jpeg", "image/png", "image/bmp") in the
// list of encoders, or -1.
int FindImageEncoder(const std::string& mime_type);

// The libvips implementation of TImageProcessor.
class TVipsImageProcessor : public TImageProcessor {
 public:
  bool ScaleImage(const std::string& source, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies) override {
    return ScaleToJpegs(source, requests, copies);
  }
  std::string Identity() const override;
  bool ScaleImageData(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                      std::vector<TScaledCopy>& copies) override {
    return ScaleJpegData(bytes, requests, copies);
  }
};

}  // namespace vistrel
