// The settings of one gallery run.
//
// All values are text, so that they travel through the same value lists as everything else.
// The two own tables have fixed columns, read by index:
//   RequiredValues: 0 "VariableName", 1 "Value"
//   ImageVariants:  0 "Name", 1 "MaxWidth", 2 "MaxHeight", 3 "NewName", 4 "JPGQuality",
//                   5 "Format" (a name of copy_format.h)
// HTMLPatterns is borrowed: it is the chosen skin's own template table and must outlive the
// settings. One object per run, filled by its creator and then read by the generation driver
// and the template engines of that run (the driver adds a trailing "/" to OutputDirectory).
#pragma once

#include <string>

#include "model/value_list.h"

namespace vistrel {

class TVTLGalleryProperties {
 public:
  enum RequiredValueColumn { kVariableName = 0, kValue = 1 };
  enum ImageVariantColumn {
    kName = 0,
    kMaxWidth = 1,
    kMaxHeight = 2,
    kNewName = 3,
    kJpgQuality = 4,
    kFormat = 5
  };

  TVTLGalleryProperties();
  TVTLGalleryProperties(const TVTLGalleryProperties&) = delete;
  TVTLGalleryProperties& operator=(const TVTLGalleryProperties&) = delete;

  std::string OutputDirectory;
  bool CopyOriginals = false;
  TVTL2dValueList RequiredValues;
  TVTL2dValueList ImageVariants;
  const TVTL2dValueList* HTMLPatterns = nullptr;  // not owned
};

}  // namespace vistrel
