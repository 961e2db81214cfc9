#include "model/color.h"

#include <cstdio>

#include "support/text.h"

namespace vistrel {

std::string ColorToHtml(TColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
  return text;
}

TColor HtmlToColor(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  TColor result = 0;
  for (int part = 0; part < 3; ++part) {
    const size_t start = 1 + 2 * part;
    const std::string_view pair =
        start < trimmed.size() ? trimmed.substr(start, 2) : std::string_view();
    if (pair.empty())
      throw EConvertError("Die Farbangabe \"" + std::string(text) + "\" ist unvollständig!");
    int value = 0;
    for (char c : pair) {
      int digit = HexDigitValue(c);
      if (digit < 0)
        throw EConvertError("Die Farbangabe \"" + std::string(text) +
                            "\" ist keine gültige Farbe!");
      value = value * 16 + digit;
    }
    result |= static_cast<TColor>(value) << (8 * part);
  }
  return result;
}

TColor InvertColor(TColor color) {
  const TColor red = color & 0xFF;
  const TColor green = (color >> 8) & 0xFF;
  const TColor blue = (color >> 16) & 0xFF;
  return 0x2FFFFFF - red - green * 256 - blue * 65536;
}

}  // namespace vistrel
