// Which files are photos: a photo is what its first bytes say it is, whatever its name.
//
// The program takes JPEG, PNG, TIFF (and BigTIFF), WebP, HEIF (HEIC and AVIF) and JPEG XL,
// known by their signatures; a file named ".jpg" that holds text is no photo, and a HEIC photo
// named "IMG_0001" without an extension is one. Every way of adding photos (the file browser,
// the command line's arguments and folders) asks IsPhotoFile(); a list file may still name
// any file, which the run then reports as failed, "Format nicht unterstützt" when it is none
// of these formats.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/disk.h"

namespace vistrel {

enum class TImageFormat { kUnknown, kJpeg, kPng, kTiff, kWebp, kHeif, kAvif, kJxl };

// How many first bytes of a file SniffImageFormat() looks at, at most.
inline constexpr size_t kFormatSniffBytes = 256;

// The reason given for a file that is no photo of a format the program decodes.
inline constexpr const char* kUnsupportedFormatText = "Format nicht unterstützt";

// The format's name for messages and logs ("JPEG", "PNG", "TIFF", "WebP", "HEIF", "AVIF",
// "JPEG XL"); empty for kUnknown.
std::string_view FormatName(TImageFormat format);

// The usual extension of a file of `format` (".jpg", ".png", ".tif", ".webp", ".heic", ".avif",
// ".jxl"); empty for kUnknown.
std::string_view FormatExtension(TImageFormat format);

// The format the first bytes of a file announce; kUnknown for anything else, also for formats
// the program does not decode (GIF, SVG, PDF, ...).
TImageFormat SniffImageFormat(std::string_view bytes);

// The format of the regular file `path` on `disk` by its first bytes; kUnknown when it is none
// of the above, cannot be read or is no regular file (a FIFO is not waited for).
TImageFormat PhotoFormatOfFile(const std::string& path, TDisk& disk = SystemDisk());
inline bool IsPhotoFile(const std::string& path, TDisk& disk = SystemDisk()) {
  return PhotoFormatOfFile(path, disk) != TImageFormat::kUnknown;
}

}  // namespace vistrel
