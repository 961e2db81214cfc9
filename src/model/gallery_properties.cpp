#include "model/gallery_properties.h"

namespace vistrel {

TVTLGalleryProperties::TVTLGalleryProperties() {
  RequiredValues.AddColumn("VariableName");
  RequiredValues.AddColumn("Value");
  for (const char* column : {"Name", "MaxWidth", "MaxHeight", "NewName", "JPGQuality", "Format"})
    ImageVariants.AddColumn(column);
}

}  // namespace vistrel
