// Image metadata: the EXIF, TIFF and GPS items of a photo as a name/value list.
//
// ReadImageMetadata() reads the items of IFD0, the Exif IFD, the GPS IFD and IFD1 (the
// thumbnail's directory, whose tags take the thumbnail IDs 0x5020 and up) through exiv2, each as
// tag ID, type code and raw bytes, and turns those it can into entries: ASCII text without its
// NUL (at most 1,001 characters), the first SHORT as an unsigned number, the first RATIONAL as
// "numerator/denominator". The key is the tag's name without "PropertyTag". "Width" and
// "Height" always come last: the size as the photo is meant to be seen (swapped when its EXIF
// orientation turns it by 90 degrees), "0" and "0" when the file is not a readable JPEG.
//
// Only the file's head is read, from a regular file opened here; exiv2 gets those bytes, never
// the path, and none of its exceptions leave this module. Pixels are never decoded.
//
// Call after TImageLibrary has started; one thread at a time per list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

class TVTLValueList;

void ReadImageMetadata(const std::string& file_name, TVTLValueList& list);
// The same, and the photo's display-ready data (photo_data.h) into `photo_data`: the metadata
// reader of image records.
void ReadPhotoMetadata(const std::string& file_name, TVTLValueList& list,
                       TVTLValueList& photo_data);
// The same for a photo already in memory (its first bytes; the rest is not needed); the photo
// data only when `photo_data` is given.
void ReadImageMetadataFromBytes(std::string_view bytes, TVTLValueList& list,
                                TVTLValueList* photo_data = nullptr);

// "PropertyTag" + key for the 214 known tag IDs, "<Unknown>" for every other one.
std::string PropertyTagName(uint32_t tag_id);
// The name of a value type code ("PropertyTagTypeASCII", ..., "<UnKnown>").
std::string PropertyTypeName(uint16_t type_code);

}  // namespace vistrel
