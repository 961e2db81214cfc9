// A photo's own captions as a gallery shows them: the title, description, keywords, rating,
// creator, copyright and place that a photographer's catalogue (digiKam, darktable, Lightroom,
// a phone) wrote into the photo or beside it.
//
// The metadata reader collects the raw texts of each place a caption can stand, one
// TCaptionSource per place, in UTF-8: a sidecar file, the photo's XMP packet, its IPTC record
// and its EXIF items. MergeCaptions() takes each caption from the first source that has it, so
// a sidecar written by the catalogue wins over what the camera or an older program stored, and
// makes it ready for display: control characters become blanks, runs of blanks one, the ends
// are trimmed, bytes that are no UTF-8 are dropped, and a text is cut (at a character) to a
// sane length. A record keeps the results
// in its Captions list, under the names below; templates reach them as "%META:<name>%". A
// caption that no source has, or that is empty once cleaned, gives no entry, so a template can
// test it with DoesExist.
//
// Free functions without state; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vistrel {

class TVTLValueList;

// The names of a record's Captions entries.
inline constexpr const char* kCaptionTitle = "TITLE";
inline constexpr const char* kCaptionDescription = "DESCRIPTION";
inline constexpr const char* kCaptionKeywords = "KEYWORDS";  // "Alpen, Schnee, Winter"
inline constexpr const char* kCaptionRating = "RATING";      // "0" to "5"
inline constexpr const char* kCaptionCreator = "CREATOR";    // several joined by ", "
inline constexpr const char* kCaptionCopyright = "COPYRIGHT";
inline constexpr const char* kCaptionCity = "CITY";
inline constexpr const char* kCaptionRegion = "REGION";
inline constexpr const char* kCaptionCountry = "COUNTRY";

// The longest caption kept, in bytes; a longer one is cut at a character.
inline constexpr size_t kMaxCaptionBytes = 4000;
// At most this many keywords are kept (the first ones).
inline constexpr size_t kMaxKeywords = 200;

// What one place in or beside a photo says, raw but in UTF-8. Empty means "not said here".
struct TCaptionSource {
  std::string title;
  std::string description;
  std::vector<std::string> keywords;
  std::string rating;  // as written: "3", "3.0", "-1", "99"
  std::vector<std::string> creators;
  std::string copyright;
  std::string city;
  std::string region;
  std::string country;
};

// Adds the captions of `sources` (the first has precedence) to `captions`, in the order of the
// names above.
void MergeCaptions(const std::vector<TCaptionSource>& sources, TVTLValueList& captions);

// A text made ready for display as described above; empty when nothing is left.
std::string CleanCaption(std::string_view text);
// A rating as a whole number of stars, "0" to "5": a number below 0 ("-1" marks a rejected
// photo) gives "0", one above 5 gives "5", a fraction is rounded; empty when it is no number.
std::string FormatRating(std::string_view rating);
// The keywords cleaned, without empty ones and repeats (ignoring letter case), joined by ", ".
std::string JoinKeywords(const std::vector<std::string>& keywords);
// True for a description a camera writes by itself rather than a person: blanks, the camera's
// maker or model ("Canon EOS 550D"), or a maker's stock text ("OLYMPUS DIGITAL CAMERA",
// "SONY DSC").
bool IsCameraBoilerplate(std::string_view description, std::string_view make,
                         std::string_view model);
// Of a text's language alternatives (language tag, text), the one for "x-default", else the
// German one ("de", "de-DE", ..., any letter case), else the first.
std::string ChooseLanguage(const std::vector<std::pair<std::string, std::string>>& alternatives);

}  // namespace vistrel
