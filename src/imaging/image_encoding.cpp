#include "imaging/image_encoding.h"

#include <algorithm>
#include <cstdint>
#include <semaphore>
#include <thread>

namespace vistrel {

namespace {

using vips::VImage;

// How much lower than JPEG's each encoder's quality setting is for a copy that looks as good,
// found by comparing SSIM on the benchmark photos (bench/formats.sh): WebP needs a little more
// than JPEG, AVIF much less.
constexpr int kWebpQualityOffset = -3;
constexpr int kAvifQualityOffset = 14;
// libvips' effort for WebP (0 fastest .. 6) and AVIF (0 fastest .. 9; libaom's speed is
// 9 - effort): the fastest, which keeps a run making a WebP or AVIF copy beside each JPEG one
// within 1.35 and 2.5 times the time of the JPEG copies alone.
constexpr int kWebpEffort = 0;
constexpr int kAvifEffort = 0;

// libaom's encoder holds about 45 MB while it encodes a 1600-pixel copy. As many AV1 encoders
// at once as there are processors keep every processor busy; the image threads' one more (there
// for a thread waiting on its file) would only add another encoder's memory, and a long run
// reaches the peak of all threads encoding together sooner or later, so its resident memory
// would depend on its length.
std::counting_semaphore<64>& Av1Encoders() {
  static std::counting_semaphore<64> encoders(
      std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64));
  return encoders;
}

// One of the AV1 encoders, while it is held.
class TAv1Encoder {
 public:
  TAv1Encoder() { Av1Encoders().acquire(); }
  ~TAv1Encoder() { Av1Encoders().release(); }
  TAv1Encoder(const TAv1Encoder&) = delete;
  TAv1Encoder& operator=(const TAv1Encoder&) = delete;
};

std::string TakeBlob(VipsBlob* blob) {
  std::string bytes(static_cast<const char*>(VIPS_AREA(blob)->data), VIPS_AREA(blob)->length);
  vips_area_unref(VIPS_AREA(blob));
  return bytes;
}

// `image` without the photo's metadata, which a copy must not carry.
VImage WithoutMetadata(const VImage& image) {
  VImage copy = image.copy();
  for (const char* name : {VIPS_META_EXIF_NAME, VIPS_META_XMP_NAME, VIPS_META_IPTC_NAME,
                           VIPS_META_ICC_NAME, VIPS_META_PHOTOSHOP_NAME})
    copy.remove(name);
  return copy;
}

uint32_t Get32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A WebP file without its EXIF and XMP chunks: libvips 8.14 writes an EXIF block of its own
// making even when told to strip. The extended header's flags then no longer announce them.
// A file not laid out as RIFF chunks stays as it is.
std::string WithoutWebpMetadata(const std::string& file) {
  if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WEBP") != 0)
    return file;
  std::string kept = file.substr(0, 12);
  for (size_t at = 12; at < file.size();) {
    if (file.size() - at < 8) return file;
    const uint64_t size = Get32(file, at + 4);
    const uint64_t whole = 8 + size + (size & 1);
    if (whole > file.size() - at) return file;
    const std::string fourcc = file.substr(at, 4);
    if (fourcc != "EXIF" && fourcc != "XMP ") kept += file.substr(at, whole);
    if (fourcc == "VP8X" && size >= 1) kept[kept.size() - whole + 8] &= ~0x0C;
    at += whole;
  }
  Put32(kept, 4, static_cast<uint32_t>(kept.size() - 8));
  return kept;
}

}  // namespace

int EncoderQuality(TImageFormat format, int quality) {
  const int jpeg = std::clamp(quality, 1, 100);
  switch (format) {
    case TImageFormat::kWebp:
      return std::clamp(jpeg - kWebpQualityOffset, 1, 100);
    case TImageFormat::kAvif:
      return std::clamp(jpeg - kAvifQualityOffset, 1, 100);
    default:
      break;
  }
  return jpeg;
}

std::string EncodeCopy(const VImage& picture, TImageFormat format, int quality) {
  const int q = EncoderQuality(format, quality);
  const VImage srgb = WithoutMetadata(picture);
  switch (format) {
    case TImageFormat::kWebp:
      return WithoutWebpMetadata(TakeBlob(srgb.webpsave_buffer(
          VImage::option()->set("Q", q)->set("effort", kWebpEffort)->set("strip", true))));
    case TImageFormat::kAvif: {
      const TAv1Encoder encoder;
      // 8 bits like the JPEG copies: libvips' default of 12 costs time and bytes for nothing a
      // screen shows.
      return TakeBlob(
          srgb.heifsave_buffer(VImage::option()
                                   ->set("Q", q)
                                   ->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_AV1)
                                   ->set("effort", kAvifEffort)
                                   ->set("bitdepth", 8)
                                   ->set("strip", true)));
    }
    default:
      break;
  }
  return TakeBlob(srgb.jpegsave_buffer(VImage::option()->set("Q", q)->set("strip", true)));
}

std::string EncoderIdentity() {
  return "webp offset " + std::to_string(kWebpQualityOffset) + " effort " +
         std::to_string(kWebpEffort) + ", avif offset " + std::to_string(kAvifQualityOffset) +
         " effort " + std::to_string(kAvifEffort) + " 8 bit";
}

}  // namespace vistrel
