#include "model/copy_format.h"

#include "model/file_naming.h"
#include "support/text.h"

namespace vistrel {

std::optional<TImageFormat> ParseImageFormat(std::string_view text) {
  const std::string name = UpperCase(Trim(text));
  if (name.empty() || name == "JPEG" || name == "JPG") return TImageFormat::kJpeg;
  if (name == "WEBP") return TImageFormat::kWebp;
  if (name == "AVIF") return TImageFormat::kAvif;
  return std::nullopt;
}

std::string ImageFormatName(TImageFormat format) { return std::string(FormatName(format)); }

std::string ImageFormatChoices() { return "JPEG, WebP oder AVIF"; }

std::string ImageFormatExtension(TImageFormat format, std::string_view photo_name) {
  switch (format) {
    case TImageFormat::kWebp:
      return ".webp";
    case TImageFormat::kAvif:
      return ".avif";
    default:
      return VariantExtension(photo_name);
  }
}

}  // namespace vistrel
