// Image metadata: the EXIF, TIFF and GPS items of a photo as a name/value list, and the
// photo's captions.
//
// ReadImageMetadata() reads the items of IFD0, the Exif IFD, the GPS IFD and IFD1 (the
// thumbnail's directory, whose tags take the thumbnail IDs 0x5020 and up) through exiv2, each as
// tag ID, type code and raw bytes, and turns those it can into entries: ASCII text without its
// NUL (at most 1,001 characters), the first SHORT as an unsigned number, the first RATIONAL as
// "numerator/denominator". The key is the tag's name without "PropertyTag". "Width" and
// "Height" always come last: the size as the photo is meant to be seen (swapped when its EXIF
// orientation, or a HEIF file's own rotation, turns it by 90 degrees), "0" and "0" when the
// file is no photo the program can decode (photo_decoder.h).
//
// The file is opened here, only when it is a regular file, and exiv2 gets its bytes, never the
// path; none of its exceptions leave this module. Of a JPEG only the head is read; other
// formats keep their metadata anywhere in the file, which is then read whole, and their size
// comes from the decoder's header. Pixels are never decoded.
//
// Call after TImageLibrary has started; one thread at a time per list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

class TVTLValueList;

void ReadImageMetadata(const std::string& file_name, TVTLValueList& list);
// The same, the photo's display-ready data (photo_data.h) into `photo_data` and its captions
// (photo_captions.h) into `captions`: the metadata reader of image records. Captions come from
// the photo's sidecar ("photo.jpg.xmp", else "photo.xmp"), its XMP packet, its IPTC record and
// its EXIF items, in this order of precedence.
void ReadPhotoMetadata(const std::string& file_name, TVTLValueList& list, TVTLValueList& photo_data,
                       TVTLValueList& captions);
// The same for a photo already in memory (its first bytes; the rest is not needed); the photo
// data only when `photo_data` is given.
void ReadImageMetadataFromBytes(std::string_view bytes, TVTLValueList& list,
                                TVTLValueList* photo_data = nullptr);

// The captions of metadata in memory: a sidecar's XMP packet, an IPTC record (its datasets as
// stored) and a photo's head, in this order of precedence; each may be empty or broken.
void ReadCaptionsFromParts(std::string_view sidecar, std::string_view iptc, std::string_view head,
                           TVTLValueList& captions);

}  // namespace vistrel
