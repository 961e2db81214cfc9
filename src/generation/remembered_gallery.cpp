#include "generation/remembered_gallery.h"

#include <optional>

#include "generation/image_processor.h"
#include "model/color.h"
#include "model/copy_format.h"
#include "support/text.h"

namespace vistrel {

namespace {

// `remembered` when it is a value of the type of the required value `row`, else the default
// the dialog starts with.
std::string ValueFor(const TVTLValueList& row, const std::string* remembered) {
  const std::string& fallback = row.Value(TRequiredVarsValueList::kDefaultValue);
  const TValueType type = ValueTypeOf(row.Value(TRequiredVarsValueList::kType));
  // A row without a control always hands over its default.
  if (!remembered || type == TValueType::kOther) return fallback;
  if (type == TValueType::kNumber) {
    const std::optional<int32_t> number = ParseInt32(Trim(*remembered));
    return number && *number >= 0 && *number <= kMaxNumberValue ? std::to_string(*number)
                                                                : fallback;
  }
  try {
    return NormalizeValue(type, *remembered);
  } catch (const EConvertError&) {
    return fallback;
  }
}

// `remembered` when it is a whole number from `low` to `high`, else `fallback`.
std::string NumberOr(const std::string& remembered, int low, int high,
                     const std::string& fallback) {
  const std::optional<int32_t> number = ParseInt32(Trim(remembered));
  return number && *number >= low && *number <= high ? std::to_string(*number) : fallback;
}

}  // namespace

TGallerySettings SettingsOfRequest(const TRunRequest& request, const std::string& id) {
  TGallerySettings settings;
  settings.id = id;
  settings.skin_file = request.skin->FullPath();
  settings.output_folder = request.output_folder;
  settings.copy_originals = request.copy_originals;
  settings.omit_location = request.omit_location;
  settings.use_cache = request.use_cache;
  for (const TEnteredValue& value : request.values)
    settings.values.push_back({value.name, value.value});
  for (const TImageVariant& variant : request.variants)
    settings.variants.push_back({variant.name, std::to_string(variant.scale.max_width),
                                 std::to_string(variant.scale.max_height),
                                 std::to_string(variant.scale.quality),
                                 ImageFormatName(variant.scale.format)});
  return settings;
}

void ApplyGallerySettings(const TGallerySettings& settings, const TVTLSkin& skin,
                          TRunInput& input) {
  input.skin = &skin;
  input.output_path = settings.output_folder;
  input.copy_originals = settings.copy_originals;
  input.omit_location = settings.omit_location;
  input.use_cache = settings.use_cache;
  input.values.clear();
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    const std::string& name = row.Value(TRequiredVarsValueList::kVariableName);
    const std::string* remembered = nullptr;
    for (const TGallerySettings::TValue& value : settings.values)
      if (SameTextIgnoreCase(value.name, name)) {
        remembered = &value.value;
        break;
      }
    input.values.push_back(ValueFor(row, remembered));
  }
  input.variants.clear();
  constexpr int kMaxSide = static_cast<int>(kMaxVariantSide);
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    TVariantSetting setting = DefaultVariantSetting(row);
    const std::string& name = row.Value(TImageModificationValueList::kName);
    for (const TGallerySettings::TVariant& variant : settings.variants) {
      if (!SameTextIgnoreCase(variant.name, name)) continue;
      setting.max_width = NumberOr(variant.max_width, 1, kMaxSide, setting.max_width);
      setting.max_height = NumberOr(variant.max_height, 1, kMaxSide, setting.max_height);
      setting.quality =
          NumberOr(variant.quality, kMinJpegQuality, kMaxJpegQuality, setting.quality);
      if (const std::optional<TImageFormat> format = ParseImageFormat(variant.format))
        setting.format = ImageFormatName(*format);
      break;
    }
    input.variants.push_back(setting);
  }
}

}  // namespace vistrel
