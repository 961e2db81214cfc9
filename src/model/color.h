// Colours and their text form.
//
// A colour value keeps red in bits 0-7, green in bits 8-15 and blue in bits 16-23. Its text
// form, used by skins and templates, is "#" followed by two upper-case hexadecimal digits each
// for red, green and blue. Free functions without state.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vistrel {

using TColor = uint32_t;

// A text that cannot be read as a colour (or as a number where one is required).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "#RRGGBB" of the low 24 bits.
std::string ColorToHtml(TColor color);

// Reads colour text: blanks around it are ignored, the first character is skipped without a
// test, characters 2-3, 4-5 and 6-7 are red, green and blue in hexadecimal, and anything after
// the seventh character is ignored. A pair cut to one digit by the end of the text is read as
// that digit. An empty pair or one that is not hexadecimal throws EConvertError.
TColor HtmlToColor(std::string_view text);

// The complementary colour, with bit 25 set as the colour value of a contrasting text colour.
TColor InvertColor(TColor color);

}  // namespace vistrel
