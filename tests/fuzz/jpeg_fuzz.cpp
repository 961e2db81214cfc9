// The JPEG structure check that comes before anything decodes a photo.
#include "fuzz_support.h"
#include "imaging/jpeg_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  const std::string_view bytes = fuzz::Text(data, size);
  const TJpegHeader header = ParseJpegHeader(bytes);
  fuzz::Require(header.head_size <= bytes.size());
  const int scans = CountJpegScans(bytes, kMaxProgressiveScans);
  fuzz::Require(scans >= 0 && scans <= kMaxProgressiveScans + 1);
  if (IsWithinDecodeLimits(header, bytes))
    fuzz::Require(header.valid && header.width <= kMaxImageSide && header.height <= kMaxImageSide);
  return 0;
}
