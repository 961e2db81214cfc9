// The settings of one gallery run.
//
// The values the user entered and the image variants are typed (model/image_variant.h), in the
// order of the skin's tables. HTMLPatterns is borrowed: it is the chosen skin's own template
// table and must outlive the settings. One object per run, filled by its creator and then read
// by the generation driver and the template engines of that run (the driver adds a trailing
// "/" to OutputDirectory).
#pragma once

#include <string>
#include <vector>

#include "model/image_variant.h"
#include "model/value_list.h"

namespace vistrel {

class TVTLGalleryProperties {
 public:
  TVTLGalleryProperties() = default;
  TVTLGalleryProperties(const TVTLGalleryProperties&) = delete;
  TVTLGalleryProperties& operator=(const TVTLGalleryProperties&) = delete;

  std::string OutputDirectory;
  bool CopyOriginals = false;
  // The pages show no place where a photo was taken, and originals are copied without theirs
  // (photo_location.h).
  bool OmitLocation = false;
  std::vector<TEnteredValue> RequiredValues;
  std::vector<TImageVariant> ImageVariants;
  const TVTL2dValueList* HTMLPatterns = nullptr;  // not owned
};

}  // namespace vistrel
