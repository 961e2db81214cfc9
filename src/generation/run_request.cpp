#include "model/gallery_setup.h"

#include <algorithm>

#include "model/color.h"
#include "support/text.h"

namespace vistrel {

TValueType ValueTypeOf(const std::string& type) {
  const std::string upper = UpperCase(type);
  if (upper == "TEXT") return TValueType::kText;
  if (upper == "COLOR") return TValueType::kColor;
  if (upper == "NUMBER") return TValueType::kNumber;
  return TValueType::kOther;
}

std::string NormalizeValue(TValueType type, const std::string& text) {
  switch (type) {
    case TValueType::kColor:
      return ColorToHtml(HtmlToColor(text));
    case TValueType::kNumber: {
      const std::optional<int32_t> number = ParseInt32(Trim(text));
      if (!number) throw EConvertError("\"" + text + "\" ist keine gültige Zahl!");
      return std::to_string(std::clamp(*number, 0, kMaxNumberValue));
    }
    default:
      return text;
  }
}

TVariantSetting DefaultVariantSetting(const TVTLValueList& row) {
  return {row.Value(TImageModificationValueList::kDefaultMaxWidth),
          row.Value(TImageModificationValueList::kDefaultMaxHeight),
          std::to_string(kDefaultJpegQuality)};
}

void FillGallerySettings(TVTLGalleryProperties& settings, const TVTLSkin& skin,
                         const std::string& output_directory, bool copy_originals,
                         const std::vector<std::string>& values,
                         const std::vector<TVariantSetting>& variants) {
  settings.OutputDirectory = output_directory;
  settings.CopyOriginals = copy_originals;
  settings.HTMLPatterns = &skin.HTMLPatterns;
  for (int i = 0; i < skin.ImageModifications.Count() && i < static_cast<int>(variants.size());
       ++i) {
    const TVTLValueList& skin_row = skin.ImageModifications.Row(i);
    TVTLValueList& row = settings.ImageVariants.AppendRow();
    row.SetValue(TVTLGalleryProperties::kName, skin_row.Value(TImageModificationValueList::kName));
    row.SetValue(TVTLGalleryProperties::kMaxWidth, variants[i].max_width);
    row.SetValue(TVTLGalleryProperties::kMaxHeight, variants[i].max_height);
    row.SetValue(TVTLGalleryProperties::kNewName,
                 skin_row.Value(TImageModificationValueList::kNewName));
    row.SetValue(TVTLGalleryProperties::kJpgQuality, variants[i].quality);
  }
  for (int i = 0; i < skin.RequiredVars.Count() && i < static_cast<int>(values.size()); ++i) {
    TVTLValueList& row = settings.RequiredValues.AppendRow();
    row.SetValue(TVTLGalleryProperties::kVariableName,
                 skin.RequiredVars.Row(i).Value(TRequiredVarsValueList::kVariableName));
    row.SetValue(TVTLGalleryProperties::kValue, values[i]);
  }
}

}  // namespace vistrel
