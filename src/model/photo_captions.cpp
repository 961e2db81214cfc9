#include "model/photo_captions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_set>

#include "model/value_list.h"
#include "support/text.h"

namespace vistrel {

namespace {

// True for the characters shown as a blank: C0 controls, space, DEL and the C1 controls
// (U+0080..U+009F, "\xC2\x80".."\xC2\x9F" in UTF-8), and the line and paragraph separators.
bool IsBlankCharacter(std::string_view character) {
  const auto first = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return first <= 0x20 || first == 0x7F;
  if (character.size() == 2)
    return first == 0xC2 && static_cast<unsigned char>(character[1]) <= 0x9F;
  return character == "\xE2\x80\xA8" || character == "\xE2\x80\xA9";
}

// The first non-empty text that `make` makes of one of `sources`.
template <typename Make>
std::string FirstOf(const std::vector<TCaptionSource>& sources, Make make) {
  for (const TCaptionSource& source : sources) {
    std::string text = make(source);
    if (!text.empty()) return text;
  }
  return {};
}

}  // namespace

std::string CleanCaption(std::string_view text) {
  std::string clean;
  clean.reserve(std::min(text.size(), kMaxCaptionBytes));
  bool blank_pending = false;
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) {  // no UTF-8: dropped
      ++pos;
      continue;
    }
    const std::string_view character = text.substr(pos, length);
    pos += length;
    if (IsBlankCharacter(character)) {
      blank_pending = !clean.empty();
      continue;
    }
    if (clean.size() + (blank_pending ? 1 : 0) + character.size() > kMaxCaptionBytes) break;
    if (blank_pending) clean.push_back(' ');
    blank_pending = false;
    clean.append(character);
  }
  return clean;
}

std::string FormatRating(std::string_view rating) {
  const std::string text(Trim(rating));
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value))
    return {};
  const long stars = std::lround(std::clamp(value, 0.0, 5.0));
  return std::to_string(stars);
}

std::string JoinKeywords(const std::vector<std::string>& keywords) {
  std::string joined;
  std::unordered_set<std::string> seen;
  for (const std::string& keyword : keywords) {
    if (seen.size() == kMaxKeywords) break;
    std::string clean = CleanCaption(keyword);
    if (clean.empty() || !seen.insert(UpperCase(clean)).second) continue;
    if (joined.size() + clean.size() + 2 > kMaxCaptionBytes) break;
    if (!joined.empty()) joined += ", ";
    joined += clean;
  }
  return joined;
}

bool IsCameraBoilerplate(std::string_view description, std::string_view make,
                         std::string_view model) {
  const std::string clean = CleanCaption(description);
  const std::string text = UpperCase(clean);
  if (text.empty()) return true;
  const std::string maker = UpperCase(CleanCaption(make));
  const std::string camera = UpperCase(CleanCaption(model));
  if (text == maker || text == camera || text == maker + " " + camera) return true;
  static const char* const kStockTexts[] = {"SONY DSC", "DIGITAL CAMERA", "EXIF_JPEG_PICTURE",
                                            "DEFAULT", "DCIM"};
  for (const char* stock : kStockTexts)
    if (text == stock) return true;
  // "OLYMPUS DIGITAL CAMERA", "KONICA MINOLTA DIGITAL CAMERA": a maker's name in capitals.
  const bool capitals =
      std::none_of(clean.begin(), clean.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  return capitals && text.ends_with(" DIGITAL CAMERA");
}

std::string ChooseLanguage(const std::vector<std::pair<std::string, std::string>>& alternatives) {
  auto find = [&](auto matches) -> const std::string* {
    for (const auto& [language, text] : alternatives)
      if (matches(UpperCase(Trim(language)))) return &text;
    return nullptr;
  };
  if (auto text = find([](const std::string& l) { return l == "X-DEFAULT"; })) return *text;
  if (auto text = find([](const std::string& l) { return l == "DE" || l.starts_with("DE-"); }))
    return *text;
  return alternatives.empty() ? std::string() : alternatives.front().second;
}

void MergeCaptions(const std::vector<TCaptionSource>& sources, TVTLValueList& captions) {
  auto add = [&](const char* name, std::string text) {
    if (text.empty() || captions.IndexOf(name) >= 0) return;
    captions.AddName(name);
    captions.SetValueOf(name, std::move(text));
  };
  auto text = [&](std::string TCaptionSource::*field) {
    return FirstOf(sources, [field](const TCaptionSource& s) { return CleanCaption(s.*field); });
  };
  add(kCaptionTitle, text(&TCaptionSource::title));
  add(kCaptionDescription, text(&TCaptionSource::description));
  add(kCaptionKeywords,
      FirstOf(sources, [](const TCaptionSource& s) { return JoinKeywords(s.keywords); }));
  add(kCaptionRating,
      FirstOf(sources, [](const TCaptionSource& s) { return FormatRating(s.rating); }));
  add(kCaptionCreator,
      FirstOf(sources, [](const TCaptionSource& s) { return JoinKeywords(s.creators); }));
  add(kCaptionCopyright, text(&TCaptionSource::copyright));
  add(kCaptionCity, text(&TCaptionSource::city));
  add(kCaptionRegion, text(&TCaptionSource::region));
  add(kCaptionCountry, text(&TCaptionSource::country));
}

}  // namespace vistrel
