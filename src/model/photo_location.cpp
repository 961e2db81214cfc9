#include "model/photo_location.h"

#include <string>

#include "model/photo_captions.h"
#include "model/photo_data.h"
#include "model/record.h"
#include "support/text.h"

namespace vistrel {

namespace {

constexpr std::string_view kGpsPrefix = "Gps";

bool StartsWithIgnoreCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && SameTextIgnoreCase(text.substr(0, start.size()), start);
}

bool AnyEntry(const TVTLValueList& list, bool (*is_location)(std::string_view)) {
  for (int i = 0; i < list.Count(); ++i)
    if (is_location(list.Name(i)) && !list.Value(i).empty()) return true;
  return false;
}

}  // namespace

bool IsLocationMetadata(std::string_view name) { return StartsWithIgnoreCase(name, kGpsPrefix); }

bool IsLocationPhotoData(std::string_view name) { return SameTextIgnoreCase(name, kPhotoGps); }

bool IsLocationCaption(std::string_view name) {
  for (std::string_view place : {kCaptionCity, kCaptionRegion, kCaptionCountry})
    if (SameTextIgnoreCase(name, place)) return true;
  return false;
}

bool HasLocation(const TVTLRecord& record) {
  return AnyEntry(record.Metadata, IsLocationMetadata) ||
         AnyEntry(record.PhotoData, IsLocationPhotoData) ||
         AnyEntry(record.Captions, IsLocationCaption);
}

bool ShowsLocation(std::string_view text) {
  // A prefix such as "URL:" stands in front of the name, the closing "%" after it; the EXIF
  // items of the GPS directory all begin with "Gps".
  const std::string upper = UpperCase(text);
  for (std::string_view name :
       {"JPGMETA:GPS", "EXIF:GPS%", "META:CITY%", "META:REGION%", "META:COUNTRY%"}) {
    if (upper.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace vistrel
