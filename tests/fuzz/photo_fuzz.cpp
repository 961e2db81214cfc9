// The header checks that come before any decoder sees a photo of any format, and the decoder
// behind them: whatever the bytes, nothing beyond the decoding limits reaches a loader, no
// metadata item lies outside the file, and a photo that passes is decoded without a crash.
#include "fuzz_support.h"
#include "imaging/image_header.h"
#include "imaging/image_library.h"
#include "imaging/photo_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  static TImageLibrary library("photo_fuzz");
  const std::string bytes(vistrel::fuzz::Text(data, size));
  const TImageHeader header = ParseImageHeader(bytes);
  fuzz::Require(header.format == SniffImageFormat(bytes));
  fuzz::Require(!header.valid ||
                (header.max_width >= header.width && header.max_height >= header.height &&
                 header.width > 0 && header.height > 0));
  if (IsWithinDecodeLimits(header, bytes))
    fuzz::Require(uint64_t{header.max_width} * header.max_height <= kMaxProgressivePixels ||
                  header.format == TImageFormat::kJpeg);
  const THeifMetadata items = ReadHeifMetadata(bytes);
  for (std::string_view item : {items.exif, items.xmp})
    fuzz::Require(item.empty() || (item.data() >= bytes.data() &&
                                   item.data() + item.size() <= bytes.data() + bytes.size()));
  const TPhotoDecoder decoder(bytes);
  if (!decoder.Ok()) return 0;
  fuzz::Require(decoder.Width() <= kMaxImageSide && decoder.Height() <= kMaxImageSide);
  try {
    // A small copy, as a thumbnail is made.
    (void)decoder.Decode({16, 16}, true).image.resize(0.01).avg();
  } catch (const vips::VError&) {
    vips_error_clear();
  }
  return 0;
}
