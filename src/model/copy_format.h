// The file formats of scaled copies: JPEG, WebP and AVIF, of the formats photo_format.h knows.
//
// A skin's variant table may name a variant's format in a FORMAT column, and the user may
// change it like size and quality; an empty cell or a missing column means JPEG, so a table
// without the column makes the copies it always made. Names are read in any letter case
// ("webp", "WebP"), "JPG" standing for JPEG too; FormatName() writes them.
//
// A copy's file takes the extension of its format; a JPEG copy that of VariantExtension().
//
// Free functions without state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/photo_format.h"

namespace vistrel {

// The copy format a cell names; JPEG for an empty one (blanks around are ignored), nothing for
// a name that is no format a copy can be written in.
[[nodiscard]] std::optional<TImageFormat> ParseImageFormat(std::string_view text);

// The name of a copy format as the program shows and hands it on ("JPEG", "WebP", "AVIF").
std::string ImageFormatName(TImageFormat format);

// The list of the names, for messages: "JPEG, WebP oder AVIF".
std::string ImageFormatChoices();

// The extension of a copy in `format` of the photo named `photo_name` (or of its extension).
std::string ImageFormatExtension(TImageFormat format, std::string_view photo_name);

}  // namespace vistrel
