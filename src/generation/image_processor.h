// What the generation driver needs from an image library: scaled JPEG copies of a photo.
//
// The driver lives in the core, which knows no image library; the imaging module implements this
// interface over libvips (TVipsImageProcessor). Implementations must allow calls from several
// threads at once, one photo per call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/image_variant.h"
#include "model/photo_location.h"

namespace vistrel {

// One scaled copy made: the file's bytes, in the format asked for, and its size in pixels.
struct TScaledCopy {
  std::string jpeg;  // the file's bytes (JPEG, WebP or AVIF); empty: the copy could not be made
  uint32_t width = 0;
  uint32_t height = 0;
};

// How a processor makes the copies of one photo, as it found out reading the photo's header:
// for each request, the index of the larger copy of the same requests that copy is scaled
// from, or -1 for the photo itself; and the photo's stored size and EXIF orientation, so making
// the copies need not read them again.
struct TCopyPlan {
  std::vector<int> sources;
  uint32_t width = 0;
  uint32_t height = 0;
  int orientation = 1;
};

class TImageProcessor {
 public:
  virtual ~TImageProcessor() = default;
  // Reads the photo at `source` once and makes one copy per request into `copies` (same order).
  // False when the photo cannot be read; a copy left empty is one that could not be made.
  [[nodiscard]] virtual bool ScaleImage(const std::string& source,
                                        const std::vector<TScaleRequest>& requests,
                                        std::vector<TScaledCopy>& copies) = 0;

  // What the variant cache needs of a processor whose copies it may keep. Identity() changes
  // whenever the bytes made for the same photo and requests could change (the processor's own
  // pipeline version and those of the libraries it uses); an empty identity, the default,
  // keeps the processor's copies out of the cache. PlanCopies() reads the photo's header and
  // says how each copy is made (a copy's bytes depend on the photo's bytes, its own request and
  // its source only); ScaleImageData() then makes the copies left empty in `copies` from the
  // photo's bytes, taking those given (found in the cache) as made, also as sources.
  virtual std::string Identity() const { return {}; }
  // Takes the places where the photo was taken out of `bytes`, a photo's file, for publishing
  // it as the original (photo_location.h). A processor that cannot do so says kCannotRemove.
  virtual TLocationRemoval RemoveLocation(std::string& bytes) {
    (void)bytes;
    return TLocationRemoval::kCannotRemove;
  }
  [[nodiscard]] virtual bool PlanCopies(const std::string& bytes,
                                        const std::vector<TScaleRequest>& requests,
                                        TCopyPlan& plan) {
    (void)bytes;
    (void)requests;
    plan = TCopyPlan();
    return false;
  }
  [[nodiscard]] virtual bool ScaleImageData(const std::string& bytes,
                                            const std::vector<TScaleRequest>& requests,
                                            const TCopyPlan& plan,
                                            std::vector<TScaledCopy>& copies) {
    (void)bytes;
    (void)plan;
    copies.assign(requests.size(), TScaledCopy());
    return false;
  }
};

}  // namespace vistrel
