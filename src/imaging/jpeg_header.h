// Reading the structure of a JPEG file without decoding it.
//
// Photos come from strangers, so before anything decodes a file the program looks at its
// markers: is it a JPEG at all, how large does it claim to be, is it progressive, and how many
// scans does it hold. The same walk gives the bytes before the image data, which is all the
// metadata reader needs. Bounds are checked on every read; nothing here allocates more than the
// bytes it is given.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

struct TJpegHeader {
  bool valid = false;  // SOI, a frame header and the first scan header were found
  uint32_t width = 0;  // as stored, before any EXIF orientation is applied
  uint32_t height = 0;
  int components = 0;
  bool progressive = false;
  size_t head_size = 0;    // bytes from the start through the first scan header
  bool truncated = false;  // the bytes ended before the first scan header
};

// Walks the markers of `bytes` from SOI to the first SOS.
TJpegHeader ParseJpegHeader(std::string_view bytes);

// Number of scans (SOS markers) in `bytes`; counting stops once it exceeds `stop_after`.
int CountJpegScans(std::string_view bytes, int stop_after);

// Reads a file's head (through the first scan header, at most `max_bytes`) and parses it.
// Only regular files are read; anything else gives an invalid header.
TJpegHeader ReadJpegHead(const std::string& path, std::string& head, size_t max_bytes);

// Limits for files that are decoded.
inline constexpr uint32_t kMaxImageSide = 16384;
inline constexpr uint64_t kMaxProgressivePixels = 100'000'000;
inline constexpr int kMaxProgressiveScans = 100;

// True when a file of this header may be decoded: not larger than kMaxImageSide on either side,
// and, when progressive, not more than kMaxProgressivePixels pixels or kMaxProgressiveScans scans
// (counted in `bytes`, the whole file).
bool IsWithinDecodeLimits(const TJpegHeader& header, std::string_view bytes);

}  // namespace vistrel
