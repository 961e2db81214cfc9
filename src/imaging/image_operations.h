// Image operations over libvips: scaled copies for galleries (JPEG, WebP or AVIF, written by
// image_encoding.h) and bitmaps for the windows.
//
// Every size follows one rule, FitIntoBox: the photo is fitted into a box with its proportions
// kept, enlarged too when it is smaller, and the side that is not binding is rounded as MulDiv
// rounds. Copies are upright (the EXIF orientation is applied and the box is compared with the
// upright size), in sRGB (an embedded colour profile, CMYK, greyscale, 16-bit and float
// pictures are converted), flattened onto white where the photo is transparent, and carry no
// metadata. Photos of every format photo_decoder.h allows are read, decoded by that format's
// loader and only within the decoding limits. libvips errors never leave this module.
//
// Of the copies asked of one photo, each is scaled either from the photo, decoded at the
// smallest eighth of its size the decoder offers (once for all copies that need the same; other
// formats are decoded whole; copies of one size in several formats are scaled once), or, when
// a JPEG copy of at least its quality is twice as wide and high, from the smallest such copy:
// a thumbnail then costs next to nothing. Either way a copy's bytes are fixed by the photo, its
// own request and its source, which the variant cache keys on.
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

// Reads `source` once and makes one copy per request (see TImageProcessor::ScaleImage). A
// quality outside 1..100 is taken as the nearest value in that range.
[[nodiscard]] bool ScaleToJpegs(const std::string& source,
                                const std::vector<TScaleRequest>& requests,
                                std::vector<TScaledCopy>& copies);
// How the copies of a photo in memory are made (see TCopyPlan); false when it cannot be read.
[[nodiscard]] bool PlanJpegCopies(const std::string& bytes,
                                  const std::vector<TScaleRequest>& requests, TCopyPlan& plan);
// Makes the copies of `requests` left empty in `copies` (one entry per request) from the photo
// in memory, as `plan` (made for the same bytes and requests) says: a copy given is taken as
// made (the variant cache has it) and serves as the source of smaller ones. A copy's bytes
// depend on the photo's bytes, its own request and its source only.
[[nodiscard]] bool ScaleJpegData(const std::string& bytes,
                                 const std::vector<TScaleRequest>& requests, const TCopyPlan& plan,
                                 std::vector<TScaledCopy>& copies);
// The same, planning first.
[[nodiscard]] bool ScaleJpegData(const std::string& bytes,
                                 const std::vector<TScaleRequest>& requests,
                                 std::vector<TScaledCopy>& copies);

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
// The picture at its own (upright) size.
TBitmap RenderFullSizeBitmap(const std::string& file);

// The libvips implementation of TImageProcessor.
class TVipsImageProcessor : public TImageProcessor {
 public:
  [[nodiscard]] bool ScaleImage(const std::string& source,
                                const std::vector<TScaleRequest>& requests,
                                std::vector<TScaledCopy>& copies) override {
    return ScaleToJpegs(source, requests, copies);
  }
  std::string Identity() const override;
  TLocationRemoval RemoveLocation(std::string& bytes) override;
  [[nodiscard]] bool PlanCopies(const std::string& bytes,
                                const std::vector<TScaleRequest>& requests,
                                TCopyPlan& plan) override {
    return PlanJpegCopies(bytes, requests, plan);
  }
  [[nodiscard]] bool ScaleImageData(const std::string& bytes,
                                    const std::vector<TScaleRequest>& requests,
                                    const TCopyPlan& plan,
                                    std::vector<TScaledCopy>& copies) override {
    return ScaleJpegData(bytes, requests, plan, copies);
  }
};

}  // namespace vistrel
