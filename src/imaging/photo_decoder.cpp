#include "imaging/photo_decoder.h"

#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_header.h"

namespace vistrel {

namespace {

using vips::VImage;

// The most pixels a photo is decoded into memory at by the program's own JPEG decoder (75 MB);
// a larger picture is decoded by libvips while it is read.
constexpr int64_t kMaxOwnDecodePixels = 25'000'000;

// The libvips loader of each format that the program decodes.
const char* LoaderOf(TImageFormat format) {
  switch (format) {
    case TImageFormat::kJpeg:
      return "jpegload_buffer";
    case TImageFormat::kPng:
      return "pngload_buffer";
    case TImageFormat::kTiff:
      return "tiffload_buffer";
    case TImageFormat::kWebp:
      return "webpload_buffer";
    case TImageFormat::kHeif:
    case TImageFormat::kAvif:
      return "heifload_buffer";
    case TImageFormat::kJxl:
      return "jxlload_buffer";
    case TImageFormat::kUnknown:
      break;
  }
  return nullptr;
}

// `image` with its alpha band laid over white (over no ink for CMYK).
VImage FlattenOnWhite(const VImage& image) {
  if (!image.has_alpha()) return image;
  const bool cmyk = image.interpretation() == VIPS_INTERPRETATION_CMYK;
  const double max = image.format() == VIPS_FORMAT_USHORT  ? 65535
                     : image.format() == VIPS_FORMAT_FLOAT ? 1.0
                                                           : 255;
  const std::vector<double> background(static_cast<size_t>(image.bands() - 1), cmyk ? 0 : max);
  return image.flatten(VImage::option()->set("background", background)->set("max_alpha", max));
}

}  // namespace

std::string DecodeFailureText(TDecodeFailure failure) {
  switch (failure) {
    case TDecodeFailure::kUnsupported:
      return "Format nicht unterstützt";
    case TDecodeFailure::kTooLarge:
      return "Bild zu groß";
    case TDecodeFailure::kDamaged:
      return "Bilddatei beschädigt";
    case TDecodeFailure::kNone:
      break;
  }
  return {};
}

int JpegShrinkFactor(int64_t width, int64_t height, TSize need) {
  for (int shrink : {8, 4, 2}) {
    if ((width + shrink - 1) / shrink >= need.width &&
        (height + shrink - 1) / shrink >= need.height)
      return shrink;
  }
  return 1;
}

bool CanDecode(TImageFormat format) {
  const char* loader = LoaderOf(format);
  const GType type = loader ? vips_type_find("VipsOperation", loader) : 0;
  if (type == 0) return false;
  auto* operation = static_cast<VipsOperationClass*>(g_type_class_ref(type));
  const bool allowed = !(operation->flags & VIPS_OPERATION_BLOCKED);
  g_type_class_unref(operation);
  return allowed;
}

TPhotoDecoder::TPhotoDecoder(const std::string& bytes) : bytes_(bytes), blob_(bytes) {
  const TImageHeader header = ParseImageHeader(bytes);
  format_ = header.format;
  if (!CanDecode(format_)) return;  // kUnsupported
  failure_ = TDecodeFailure::kDamaged;
  if (!header.valid) return;
  if (!IsWithinDecodeLimits(header, bytes)) {
    failure_ = TDecodeFailure::kTooLarge;
    return;
  }
  try {
    // Only the header: the pixels are decoded when asked for.
    const VImage image = Load(1, false);
    width_ = static_cast<uint32_t>(image.width());
    height_ = static_cast<uint32_t>(image.height());
    if (format_ != TImageFormat::kHeif && format_ != TImageFormat::kAvif &&
        image.get_typeof(VIPS_META_ORIENTATION))
      orientation_ = image.get_int(VIPS_META_ORIENTATION);
    if (orientation_ < 1 || orientation_ > 8) orientation_ = 1;
    colour_jpeg_ = format_ == TImageFormat::kJpeg && image.bands() == 3 &&
                   image.format() == VIPS_FORMAT_UCHAR &&
                   image.interpretation() != VIPS_INTERPRETATION_CMYK;
    // The loader's idea of the size is bounded as well as the header's.
    failure_ = width_ > kMaxImageSide || height_ > kMaxImageSide ? TDecodeFailure::kTooLarge
                                                                 : TDecodeFailure::kNone;
  } catch (const vips::VError&) {
    vips_error_clear();
  }
}

VImage TPhotoDecoder::Load(int shrink, bool sequential) const {
  VImage image;
  auto* options = VImage::option()
                      ->set("buffer", blob_.get())
                      ->set("out", &image)
                      ->set("access", sequential ? VIPS_ACCESS_SEQUENTIAL : VIPS_ACCESS_RANDOM)
                      ->set("fail_on", VIPS_FAIL_ON_TRUNCATED);
  if (format_ == TImageFormat::kJpeg) options->set("shrink", shrink);
  VImage::call(LoaderOf(format_), options);
  return image;
}

bool TPhotoDecoder::DecodesItself(int eighths) const {
  const int64_t width = (int64_t{width_} * eighths + 7) / 8;
  const int64_t height = (int64_t{height_} * eighths + 7) / 8;
  return colour_jpeg_ && width * height <= kMaxOwnDecodePixels;
}

int TPhotoDecoder::Eighths(TSize need) const {
  if (format_ != TImageFormat::kJpeg) return 8;
  const int eighths = EighthsFor(width_, height_, need.width, need.height);
  if (DecodesItself(eighths)) return eighths;
  return 8 / JpegShrinkFactor(width_, height_, need);
}

TDecodedPicture TPhotoDecoder::Decode(int eighths, bool sequential) const {
  if (!Ok()) throw vips::VError("the photo cannot be decoded");
  if (format_ != TImageFormat::kJpeg) eighths = 8;
  if (DecodesItself(eighths)) {
    VImage picture = DecodeColourJpeg(bytes_, eighths);
    picture.set(VIPS_META_ORIENTATION, orientation_);
    return {picture, eighths};
  }
  if (eighths != 1 && eighths != 2 && eighths != 4 && eighths != 8)
    throw vips::VError("no scale of libvips' JPEG loader");
  return {FlattenOnWhite(Load(8 / eighths, sequential)), eighths};
}

}  // namespace vistrel
