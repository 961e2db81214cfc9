// What a gallery run makes of a photo and hands to its pages, as typed values: the image
// variants (a name, a file-name pattern and how each copy is made, in whole numbers) and the
// values the user entered for the skin.
//
// BuildRunRequest() checks what the user typed once and makes these; from there they travel
// unchanged through the run's settings to the template engine and the image library, never
// formatted as text and read again. Plain values, copied freely, used from any thread.
#pragma once

#include <cstdint>
#include <string>

#include "model/photo_format.h"

namespace vistrel {

// The largest width or height a scaled copy may be given.
inline constexpr uint32_t kMaxVariantSide = 16384;
// The JPEG quality of a variant whose quality nobody chose.
inline constexpr int kDefaultJpegQuality = 80;

// How one copy of a photo is made: fitted into max_width x max_height pixels, in this format
// (JPEG, WebP or AVIF, see copy_format.h), at this quality. The quality is on JPEG's scale for
// every format: a WebP or AVIF copy of quality 80 looks about as good as a JPEG of quality 80.
// It is all the image library learns of a variant, and what the variant cache tells copies
// apart by; a new way of making copies becomes a field here.
struct TScaleRequest {
  uint32_t max_width = 0;
  uint32_t max_height = 0;
  int quality = kDefaultJpegQuality;
  TImageFormat format = TImageFormat::kJpeg;

  bool operator==(const TScaleRequest&) const = default;
};

// One image variant of a run: `name` is the variable the templates name its file by (the
// skin's NAME, e.g. "THUMB"), `pattern` the file name of its copies (the skin's NEWNAME, e.g.
// "th_%old%"), `scale` how each copy is made.
struct TImageVariant {
  std::string name;
  std::string pattern;
  TScaleRequest scale;

  bool operator==(const TImageVariant&) const = default;
};

// A value the user entered for one of the skin's variables, as the templates read it.
struct TEnteredValue {
  std::string name;
  std::string value;

  bool operator==(const TEnteredValue&) const = default;
};

}  // namespace vistrel
