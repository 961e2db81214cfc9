// The captions of each metadata set of a photo as exiv2 reads it: its XMP packet, its IPTC
// record, its EXIF items and its sidecar file (photo_captions.h merges them).
//
// Each set is walked once, its items told apart by their group and tag rather than looked up
// by key: exiv2's lookup by key builds the key text of every item it passes, which cost more
// than all the rest of reading a photo's captions. None of exiv2's exceptions leave these
// functions; a set that cannot be read gives no captions. Any thread.
#pragma once

#include <string>

#include "imaging/exiv2_include.h"
#include "model/photo_captions.h"

namespace vistrel {

// dc:title, dc:description, dc:subject, xmp:Rating, dc:creator, dc:rights and photoshop's City,
// State and Country. XMP is UTF-8 by definition.
TCaptionSource XmpCaptions(const Exiv2::XmpData& xmp);
// ObjectName, Caption-Abstract, Keywords, By-line, CopyrightNotice, City, Province-State and
// Country-PrimaryLocationName: UTF-8 when the record says so (the escape sequence ESC % G),
// else taken as Windows-1252 unless they are valid UTF-8.
TCaptionSource IptcCaptions(const Exiv2::IptcData& iptc);
// ImageDescription (unless a camera wrote it by itself), XPTitle, XPComment, XPKeywords,
// Artist and Copyright of IFD0.
TCaptionSource ExifCaptions(const Exiv2::ExifData& exif);
// The captions of the sidecar of the photo at `path`: "photo.jpg.xmp" as darktable and
// digiKam write it, else "photo.xmp" as Lightroom does. None when there is no sidecar, or it is
// no regular file, too large or not XMP.
TCaptionSource SidecarCaptions(const std::string& path);

}  // namespace vistrel
