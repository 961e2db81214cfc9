// Where a photo was taken, as far as a gallery could tell it: which of a record's entries name
// the place, and whether a template shows one.
//
// A photo names its place by the GPS items of its EXIF data (the metadata entries "GpsLatitude",
// "GpsLongitude", ..., reached as %JPGMETA:Gps...%), the position made ready for display
// (%EXIF:GPS%, photo_data.h) and the place of its captions (%META:CITY%, %META:REGION%,
// %META:COUNTRY%, photo_captions.h). A run asked to leave the location out defines none of these
// variables, so they are empty and a skin's DoesExist() test of them fails: a map link that
// depends on them disappears. The user's own properties are the user's, and are never left out.
//
// Free functions without state; safe from any thread.
#pragma once

#include <string_view>

namespace vistrel {

class TVTLRecord;

// Whether the entry `name` of a record's Metadata, PhotoData or Captions names the place.
bool IsLocationMetadata(std::string_view name);
bool IsLocationPhotoData(std::string_view name);
bool IsLocationCaption(std::string_view name);

// Whether the photo of `record` names its place in any of them.
bool HasLocation(const TVTLRecord& record);

// What taking the places out of a photo's bytes came to (for copying an original).
enum class TLocationRemoval {
  kNone,         // the photo names no place; its bytes are unchanged
  kRemoved,      // the bytes now hold the photo without its places
  kCannotRemove  // it names (or may name) a place that cannot be taken out; bytes unchanged
};

// Whether the template text `text` uses a variable that names the place (any of the above, also
// with a prefix such as "URL:" or "HTML:"), in any letter case.
bool ShowsLocation(std::string_view text);

}  // namespace vistrel
