// The request for one gallery run: everything the user chose, checked once for every caller.
//
// The create-gallery dialog and the command-line program collect the same things (skin, the
// values it asks for, size and quality of each image variant, output folder, image list,
// options) as text in a TRunInput and hand it to BuildRunRequest(). That one function decides
// what a run may do, so both callers refuse the same input with the same German message:
//   - a skin that is missing or failed to load;
//   - an empty output path, or one holding a NUL;
//   - a COLOR or NUMBER value that is none (numbers are limited to 0..16777215, colours become
//     "#RRGGBB" in capitals);
//   - an image variant whose maximum width or height is not a whole number from 1 to 16384,
//     whose quality is not a whole number from 0 to 100, or whose format is none of
//     copy_format.h;
//   - a file-name pattern (NEWNAME, NEWFILENAME) that is absolute, leaves the output folder or
//     holds a NUL;
//   - an empty image list ("Keine Galerie erstellt: Die Bildliste ist leer.");
//   - updating a folder that holds something, but no gallery manifest (gallery_manifest.h);
//   - emptying an output folder that is a file-system root, the home folder or a folder above
//     it, a folder that holds (or lies inside) the program's skins or the skin in use, one with
//     a file system mounted anywhere below it, or one that holds a listed image (also one that
//     the list reaches through a link).
// "~" and a path starting "~/" begin at the home folder; another relative output path is taken
// relative to TRunInput::relative_to (ResolveOutputPath).
//
// Free functions without state; they read the file system (to resolve folders) and nothing
// else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "csv/skin.h"
#include "model/gallery_properties.h"
#include "model/image_variant.h"
#include "model/record.h"

namespace vistrel {

class TFileServices;

enum class TValueType { kText, kColor, kNumber, kOther };

inline constexpr int kMaxNumberValue = 16777215;
inline constexpr int kMinJpegQuality = 0;
inline constexpr int kMaxJpegQuality = 100;
// The variant cache's size limit unless the user sets another (2 GB), and the limits the
// command line and the dialog let a user set: at least room for the copies of a few photos (a
// limit of 0 would empty the cache), at most a terabyte.
inline constexpr std::uint64_t kDefaultCacheSizeLimit = 2'000'000'000;
inline constexpr std::uint64_t kMinCacheSizeLimit = 10'000'000;
inline constexpr std::uint64_t kMaxCacheSizeLimit = 1'000'000'000'000;

// The kind of input of a TYPE cell ("TEXT", "COLOR", "NUMBER" in any case).
TValueType ValueTypeOf(const std::string& type);

// `text` as a value of that type is handed over: a colour as "#RRGGBB", a number limited to
// 0..16777215, anything else unchanged. Throws EConvertError for a colour or number that is none.
std::string NormalizeValue(TValueType type, const std::string& text);

// The settings of one image variant as the user typed them; BuildRunRequest() makes a
// TImageVariant of them.
struct TVariantSetting {
  std::string max_width;
  std::string max_height;
  std::string quality;
  std::string format;  // as ParseImageFormat() reads it; empty is JPEG
};

// The settings a variant starts with: the skin's default size and format, and quality 80.
TVariantSetting DefaultVariantSetting(const TVTLValueList& image_modification_row);

// Why the defaults of `skin` cannot be handed over (a value's default that is no number or
// colour, a variant's default size that is no whole number), naming the value by its caption
// and the skin file; empty when they can.
std::string SkinDefaultsProblem(const TVTLSkin& skin);

// The full path an output path stands for: "~" and a path starting "~/" begin at `home` (when
// there is one), another relative path at `relative_to`; written without "." and ".." steps
// or doubled "/", keeping a trailing "/". A path that is empty or blanks only stays as typed.
std::string ResolveOutputPath(const std::string& typed, const std::string& relative_to,
                              const std::string& home);

// What a caller collected for one run, as the user gave it.
struct TRunInput {
  const TVTLSkin* skin = nullptr;
  TVTLRecordList* records = nullptr;      // the image list; must outlive the run
  std::vector<std::string> values;        // one per row of the skin's required values
  std::vector<TVariantSetting> variants;  // one per image variant of the skin
  std::string output_path;                // as typed
  std::string relative_to;                // the folder a relative output path starts from
  std::string skins_folder;               // the program's skins, never emptied
  bool copy_originals = false;            // "Originale der Bilddateien kopieren"
  bool omit_location = false;             // "Ortsangaben weglassen"
  bool empty_output = false;              // "Verzeichnis vor Galerieerzeugung leeren"
  bool update = false;                    // replace the gallery in the folder in place
  std::string gallery_id;                 // the identity of the settings, for the manifest
  bool use_cache = true;                  // reuse and keep copies in the variant cache
  std::uint64_t cache_size_limit = kDefaultCacheSizeLimit;  // bytes
};

// A checked request; only BuildRunRequest() makes one.
struct TRunRequest {
  const TVTLSkin* skin = nullptr;
  TVTLRecordList* records = nullptr;
  std::vector<TEnteredValue> values;    // one per required value, as the run uses them
  std::vector<TImageVariant> variants;  // one per image variant, sizes within their ranges
  std::string output_folder;            // absolute, lexically normal, with a trailing "/"
  std::string output_path;              // as typed, for messages
  bool copy_originals = false;
  bool omit_location = false;
  bool empty_output = false;
  bool update = false;  // never together with empty_output
  std::string gallery_id;
  bool use_cache = true;
  std::uint64_t cache_size_limit = kDefaultCacheSizeLimit;
};

// What BuildRunRequest() refused, so callers can tell a mistyped value from a refused run.
enum class TRequestProblem {
  kNone,
  kSkin,
  kOutputFolder,
  kValue,
  kVariant,
  kFileName,
  kEmptyList,
  kEmptying
};

struct TRequestResult {
  std::optional<TRunRequest> request;
  TRequestProblem problem = TRequestProblem::kNone;
  std::string message;  // German, as the user sees it; empty when there is a request
  std::string reason;   // a second line saying why, or empty
};

[[nodiscard]] TRequestResult BuildRunRequest(const TRunInput& input, const TFileServices& files);

// Fills `settings` for a run of `request` into its output folder: the request's values and
// variants as they are, and the skin's template table (borrowed).
void FillGallerySettings(TVTLGalleryProperties& settings, const TRunRequest& request);

}  // namespace vistrel
