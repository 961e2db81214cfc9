// Turning a skin and the user's input into the settings of a run.
//
// The create-gallery dialog and the command-line program fill TVTLGalleryProperties the same
// way: one RequiredValues row per row of the skin's required-values table, one ImageVariants row
// per image variant, the skin's own template table borrowed. They also agree on the value a
// required value starts with: a TEXT default as it is, a COLOR default as colour text in capital
// letters, a NUMBER default limited to 0..16777215. Free functions without state.
#pragma once

#include <string>
#include <vector>

#include "model/gallery_properties.h"
#include "model/skin.h"

namespace vistrel {

enum class TValueType { kText, kColor, kNumber, kOther };

inline constexpr int kMaxNumberValue = 16777215;
inline constexpr int kDefaultJpegQuality = 80;

// The kind of input of a TYPE cell ("TEXT", "COLOR", "NUMBER" in any case).
TValueType ValueTypeOf(const std::string& type);

// `text` as a value of that type is handed over: a colour as "#RRGGBB", a number limited to
// 0..16777215, anything else unchanged. Throws EConvertError for a colour or number that is none.
std::string NormalizeValue(TValueType type, const std::string& text);

// The image variant settings of one variant, as text.
struct TVariantSetting {
  std::string max_width;
  std::string max_height;
  std::string quality;
};

// The settings a variant starts with: the skin's default size and quality 80.
TVariantSetting DefaultVariantSetting(const TVTLValueList& image_modification_row);

// Fills `settings` for a run of `skin`. `values` holds one value per row of the skin's
// required-values table, `variants` one setting per image variant.
void FillGallerySettings(TVTLGalleryProperties& settings, const TVTLSkin& skin,
                         const std::string& output_directory, bool copy_originals,
                         const std::vector<std::string>& values,
                         const std::vector<TVariantSetting>& variants);

}  // namespace vistrel
