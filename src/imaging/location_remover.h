// A photo's bytes without the places where it was taken, for publishing an original.
//
// A photo can name where it was taken in several places: the GPS directory of its EXIF data,
// GPS properties in its XMP (exif:GPS...), the place properties of XMP (photoshop:City, State
// and Country, iptc:Location, iptcExt:LocationCreated and LocationShown) and the place datasets
// of its IPTC record (City, Sub-location, Province-State, Country code and name). RemoveLocation()
// takes all of them out through exiv2 and leaves everything else (pixels, camera data,
// captions) as it was; a photo that names no place is left byte for byte.
//
// exiv2 writes JPEG, PNG, TIFF and WebP. A HEIF or AVIF file it only reads: one that carries a
// location cannot be cleaned. A JPEG XL file exiv2 does not read at all, so whether it carries
// one cannot be told, and it counts as one that cannot be cleaned.
//
// Call after TImageLibrary has started; safe from several threads, one photo per call. None of
// exiv2's exceptions leave this module.
#pragma once

#include <string>

#include "model/photo_location.h"

namespace vistrel {

TLocationRemoval RemoveLocation(std::string& bytes);

}  // namespace vistrel
