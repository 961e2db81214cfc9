#include "imaging/image_operations.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vips/vips8>

#include "imaging/location_remover.h"
#if __has_include(<jpeglib.h>)
#include <jpeglib.h>  // the version of the JPEG library, part of the processor's identity

#include <cstdio>  // jpeglib.h needs FILE
#endif

#include "imaging/image_encoding.h"
#include "imaging/photo_decoder.h"
#include "support/disk.h"

namespace vistrel {

namespace {

using vips::VImage;

// EXIF orientations: 1 upright; 2 to 4 mirrored or upside down (same size); 5 to 8 turned by
// 90 degrees, mirrored or not (width and height swap).
bool IsTurned(int orientation) { return orientation >= 5 && orientation <= 8; }
bool NeedsOrienting(int orientation) { return orientation >= 2 && orientation <= 8; }

// One of the program's own copies decoded at 1/shrink of its size, while it is read.
VImage LoadCopy(const TBlob& blob, int shrink) {
  return VImage::jpegload_buffer(blob.get(), VImage::option()
                                                 ->set("shrink", shrink)
                                                 ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                                 ->set("fail_on", VIPS_FAIL_ON_TRUNCATED));
}

// A CMYK picture without a profile as browsers show it: each of red, green and blue is what
// neither its ink nor black absorbs, (255 - C) * (255 - K) / 255 rounded down, instead of
// going through a print profile, which would make the copy visibly duller than the photo
// looks in a browser. The product is a whole number, so half a step before rounding down
// keeps the division's float error from ever taking a whole step off.
VImage PlainCmykToSrgb(const VImage& cmyk) {
  const VImage ink = cmyk.extract_band(0, VImage::option()->set("n", 3));
  const VImage black = cmyk.extract_band(3);
  return ((255 - ink) * (255 - black)).linear(1.0 / 255, 0.5 / 255).floor();
}

// 3-band 8-bit sRGB: an embedded profile is applied, CMYK, greyscale and 16-bit or float
// pictures are converted, an alpha band (what is left of it after flattening) is dropped.
VImage ToSrgb(VImage image) {
  const bool cmyk = image.interpretation() == VIPS_INTERPRETATION_CMYK ||
                    (image.bands() == 4 && !image.has_alpha());
  if (image.get_typeof(VIPS_META_ICC_NAME)) {
    image = image.icc_transform("srgb", VImage::option()
                                            ->set("embedded", true)
                                            ->set("intent", VIPS_INTENT_RELATIVE)
                                            ->set("depth", 8));
  } else if (cmyk) {
    if (image.format() != VIPS_FORMAT_UCHAR)
      image = image.cast(VIPS_FORMAT_UCHAR, VImage::option()->set("shift", true));
    if (image.bands() > 4) image = image.extract_band(0, VImage::option()->set("n", 4));
    image = PlainCmykToSrgb(image);
  } else if (image.bands() < 3 || image.format() != VIPS_FORMAT_UCHAR) {
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  }
  if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
  if (image.format() != VIPS_FORMAT_UCHAR) image = image.cast(VIPS_FORMAT_UCHAR);
  return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// How many of a decoded picture's pixels the whole photo spans, across and down: the photo's
// size times the fraction it was decoded at. The picture's last row and column may hold only
// part of a pixel of the photo.
struct TSpan {
  double width;
  double height;
};
TSpan Span(int64_t width, int64_t height, int eighths) {
  return {static_cast<double>(width) * eighths / 8, static_cast<double>(height) * eighths / 8};
}

// `image`, over which the photo spans `span`, resized to exactly `size`: the photo's own
// proportions are kept, however its last row and column were rounded when it was decoded.
VImage ResizeTo(const VImage& image, TSpan span, TSize size) {
  const double hscale = static_cast<double>(size.width) / span.width;
  const double vscale = static_cast<double>(size.height) / span.height;
  VImage resized = image;
  if (image.width() != size.width || image.height() != size.height)
    resized = image.resize(hscale, VImage::option()->set("vscale", vscale));
  // libvips rounds the output size itself; make it exactly what the rule says.
  if (resized.width() > size.width || resized.height() > size.height)
    resized = resized.crop(0, 0, std::min<int64_t>(resized.width(), size.width),
                           std::min<int64_t>(resized.height(), size.height));
  if (resized.width() < size.width || resized.height() < size.height)
    resized = resized.embed(0, 0, static_cast<int>(size.width), static_cast<int>(size.height),
                            VImage::option()->set("extend", VIPS_EXTEND_COPY));
  return resized;
}

void Append16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Append32(std::string& out, uint32_t v) {
  Append16(out, v & 0xFFFF);
  Append16(out, v >> 16);
}

// A 24-bit BMP file of an 8-bit sRGB image: rows bottom-up, blue-green-red, padded to 4 bytes.
TBitmap EncodeBmp(const VImage& srgb) {
  const VImage image = srgb.copy_memory();
  const auto* pixels = static_cast<const unsigned char*>(image.data());
  const uint32_t width = static_cast<uint32_t>(image.width());
  const uint32_t height = static_cast<uint32_t>(image.height());
  const uint32_t row_bytes = (width * 3 + 3) & ~3u;
  const uint32_t data_size = row_bytes * height;
  std::string bmp;
  bmp.reserve(54 + data_size);
  bmp += "BM";
  Append32(bmp, 54 + data_size);
  Append32(bmp, 0);
  Append32(bmp, 54);
  Append32(bmp, 40);
  Append32(bmp, width);
  Append32(bmp, height);
  Append16(bmp, 1);
  Append16(bmp, 24);
  Append32(bmp, 0);
  Append32(bmp, data_size);
  Append32(bmp, 2835);
  Append32(bmp, 2835);
  Append32(bmp, 0);
  Append32(bmp, 0);
  for (uint32_t y = height; y-- > 0;) {
    const unsigned char* row = pixels + static_cast<size_t>(y) * width * 3;
    for (uint32_t x = 0; x < width; ++x) {
      bmp.push_back(static_cast<char>(row[x * 3 + 2]));
      bmp.push_back(static_cast<char>(row[x * 3 + 1]));
      bmp.push_back(static_cast<char>(row[x * 3]));
    }
    bmp.append(row_bytes - width * 3, '\0');
  }
  return TBitmap{static_cast<int>(width), static_cast<int>(height), std::move(bmp)};
}

}  // namespace

int64_t MulDiv(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return -1;
  const __int128 product = static_cast<__int128>(a) * b;
  __int128 quotient = product / c;
  const __int128 remainder = product % c;
  const __int128 abs_remainder = remainder < 0 ? -remainder : remainder;
  const __int128 abs_divisor = c < 0 ? -static_cast<__int128>(c) : c;
  if (2 * abs_remainder >= abs_divisor) quotient += ((product < 0) != (c < 0)) ? -1 : 1;
  if (quotient > INT32_MAX || quotient < INT32_MIN) return -1;
  return static_cast<int64_t>(quotient);
}

TSize FitIntoBox(int64_t w, int64_t h, int64_t box_width, int64_t box_height) {
  // w / W > h / H, compared exactly as w * H > h * W.
  const __int128 width_ratio = static_cast<__int128>(w) * box_height;
  const __int128 height_ratio = static_cast<__int128>(h) * box_width;
  if (width_ratio > height_ratio) return {box_width, MulDiv(box_width, h, w)};
  return {MulDiv(box_height, w, h), box_height};
}

bool ScaleToJpegs(const std::string& source, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies) {
  copies.assign(requests.size(), TScaledCopy());
  // One buffer per thread, kept from photo to photo, so that a run's memory does not grow with
  // every photo read (see TVistrel::MakeCopiesWithCache).
  thread_local std::string bytes;
  return SystemDisk().ReadFile(source, bytes).Ok() && ScaleJpegData(bytes, requests, copies);
}

bool ScaleJpegData(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                   std::vector<TScaledCopy>& copies) {
  TCopyPlan plan;
  if (PlanJpegCopies(bytes, requests, plan)) return ScaleJpegData(bytes, requests, plan, copies);
  copies.assign(requests.size(), TScaledCopy());
  return false;
}

namespace {

// True when a copy of this size can be written (both sides at least 1).
bool IsMadeCopy(TSize size) { return size.width >= 1 && size.height >= 1; }

// The size of each copy of a planned photo, as it is written (upright).
std::vector<TSize> UprightSizes(const TCopyPlan& plan, const std::vector<TScaleRequest>& requests) {
  const bool turned = IsTurned(plan.orientation);
  const int64_t width = turned ? plan.height : plan.width;
  const int64_t height = turned ? plan.width : plan.height;
  std::vector<TSize> sizes;
  for (const TScaleRequest& request : requests)
    sizes.push_back(FitIntoBox(width, height, request.max_width, request.max_height));
  return sizes;
}

}  // namespace

bool PlanJpegCopies(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                    TCopyPlan& plan) {
  plan = TCopyPlan();
  const TPhotoDecoder photo(bytes);
  if (!photo.Ok()) return false;
  plan.orientation = photo.Orientation();
  plan.width = photo.Width();
  plan.height = photo.Height();
  const std::vector<TSize> upright = UprightSizes(plan, requests);
  // A copy at most half as wide and high as a JPEG copy of at least its quality is scaled from
  // that one (the smallest such), decoded shrunk on load: far cheaper than decoding the photo
  // again, and what the larger copy's compression lost does not survive halving.
  plan.sources.assign(requests.size(), -1);
  for (size_t i = 0; i < requests.size(); ++i) {
    if (!IsMadeCopy(upright[i])) continue;
    for (size_t j = 0; j < requests.size(); ++j) {
      const TSize& larger = upright[j];
      if (j == i || requests[j].format != TImageFormat::kJpeg ||
          larger.width < 2 * upright[i].width || larger.height < 2 * upright[i].height ||
          requests[j].quality < requests[i].quality)
        continue;
      const int best = plan.sources[i];
      if (best < 0 || larger.width * larger.height < upright[static_cast<size_t>(best)].width *
                                                         upright[static_cast<size_t>(best)].height)
        plan.sources[i] = static_cast<int>(j);
    }
  }
  return true;
}

namespace {

// The picture scaled for one copy, kept for the copies of the same size from the same source in
// other formats, so that each size is scaled once. Those copies are made one after the other
// (SizeBySize), so only the picture made last is kept: a 1600-pixel picture is 6 MB.
class TScaledPictures {
 public:
  // The picture kept for `source` (-1 for the photo) and `size`, or null.
  const VImage* Find(int source, TSize size) const {
    return kept_ && source_ == source && size_ == size ? &picture_ : nullptr;
  }
  void Keep(int source, TSize size, const VImage& picture) {
    source_ = source;
    size_ = size;
    picture_ = picture;
    kept_ = true;
  }

 private:
  bool kept_ = false;
  int source_ = 0;
  TSize size_;
  VImage picture_;
};

// `copies` (indexes) in their order, except that those of the same `key` follow the first of
// them at once.
template <typename TKey>
std::vector<size_t> SizeBySize(const std::vector<size_t>& copies, const TKey& key) {
  std::vector<size_t> ordered;
  std::vector<bool> placed(copies.size(), false);
  for (size_t a = 0; a < copies.size(); ++a) {
    if (placed[a]) continue;
    for (size_t b = a; b < copies.size(); ++b)
      if (!placed[b] && key(copies[b]) == key(copies[a])) {
        ordered.push_back(copies[b]);
        placed[b] = true;
      }
  }
  return ordered;
}

// Makes the copies of one photo that are still wanted, as its plan says.
class TCopyMaker {
 public:
  TCopyMaker(const std::vector<TScaleRequest>& requests, const TCopyPlan& plan,
             std::vector<TScaledCopy>& copies)
      : requests_(requests), plan_(plan), copies_(copies), upright_(UprightSizes(plan, requests)) {
    for (const TScaledCopy& copy : copies) wanted_.push_back(copy.jpeg.empty());
  }

  // Copies made from the photo: scaled as stored and only then turned, which is cheaper than
  // turning the decoded photo. The photo is decoded at the smallest fraction of its size the
  // decoder offers for each copy (photo_decoder.h), once per fraction; a decoding used once
  // may be scaled while it is decoded.
  void FromPhoto(const TPhotoDecoder& photo) {
    const bool turned = IsTurned(plan_.orientation);
    std::vector<int> scales(requests_.size(), 0);
    std::vector<TSize> stored(requests_.size());
    for (size_t i = 0; i < requests_.size(); ++i) {
      if (!wanted_[i] || plan_.sources[i] >= 0 || !IsMadeCopy(upright_[i])) continue;
      stored[i] = turned ? TSize{upright_[i].height, upright_[i].width} : upright_[i];
      scales[i] = photo.Eighths(stored[i]);
    }
    for (size_t i = 0; i < requests_.size(); ++i) {
      if (scales[i] == 0) continue;
      const int eighths = scales[i];
      std::vector<size_t> group;
      for (size_t j = i; j < requests_.size(); ++j)
        if (scales[j] == eighths) {
          group.push_back(j);
          scales[j] = 0;
        }
      VImage decoded = photo.Decode(eighths, group.size() == 1).image;
      if (group.size() > 1) decoded = decoded.copy_memory();
      const TSpan span = Span(plan_.width, plan_.height, eighths);
      TScaledPictures scaled;
      for (size_t j : SizeBySize(group, [&](size_t k) { return stored[k]; })) {
        const bool shared = std::count_if(group.begin(), group.end(),
                                          [&](size_t k) { return stored[k] == stored[j]; }) > 1;
        Finish(j, -1, stored[j], shared, scaled,
               [&] { return ResizeTo(decoded, span, stored[j]); });
      }
    }
  }

  // Copies made from larger copies, the larger ones first, so every source is there.
  void FromCopies() {
    std::vector<size_t> order;
    for (size_t i = 0; i < requests_.size(); ++i)
      if (wanted_[i] && plan_.sources[i] >= 0) order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return upright_[a].width * upright_[a].height > upright_[b].width * upright_[b].height;
    });
    TScaledPictures scaled;
    for (size_t i : SizeBySize(
             order, [&](size_t k) { return std::make_pair(plan_.sources[k], upright_[k]); })) {
      const TScaledCopy& source = copies_[static_cast<size_t>(plan_.sources[i])];
      if (source.jpeg.empty()) continue;  // could not be made: neither can this one
      const TSize size = upright_[i];
      const bool shared = std::count_if(order.begin(), order.end(), [&](size_t k) {
                            return plan_.sources[k] == plan_.sources[i] && upright_[k] == size;
                          }) > 1;
      Finish(i, plan_.sources[i], size, shared, scaled, [&] {
        const TBlob blob(source.jpeg);
        const int shrink = JpegShrinkFactor(source.width, source.height, size);
        return ResizeTo(LoadCopy(blob, shrink), Span(source.width, source.height, 8 / shrink), size)
            .copy_memory();
      });
    }
  }

  // Forgets the copies it was asked to make, after a failure.
  void Fail() {
    for (size_t i = 0; i < copies_.size(); ++i)
      if (wanted_[i]) copies_[i] = TScaledCopy();
  }

 private:
  // Encodes copy `i`, the picture `scale` makes of `source` (a copy's index, -1 for the photo)
  // at `size`, turned upright. Where the copy is `shared` with others of the same source and
  // size, the picture is kept in `scaled`, and taken from there when it was made already.
  template <typename TScale>
  void Finish(size_t i, int source, TSize size, bool shared, TScaledPictures& scaled,
              const TScale& scale) {
    VImage picture;
    if (const VImage* same = scaled.Find(source, size)) {
      picture = *same;
    } else {
      picture = scale();
      // Turning reads the picture out of order, which a decoding done while it is read cannot
      // give; the scaled copy is small, so it is turned in memory.
      if (source < 0 && NeedsOrienting(plan_.orientation))
        picture = picture.copy_memory().autorot();
      if (shared) scaled.Keep(source, size, picture = picture.copy_memory());
    }
    const TScaleRequest& request = requests_[i];
    copies_[i].jpeg = EncodeCopy(ToSrgb(picture), request.format, request.quality);
    copies_[i].width = static_cast<uint32_t>(picture.width());
    copies_[i].height = static_cast<uint32_t>(picture.height());
  }

  const std::vector<TScaleRequest>& requests_;
  const TCopyPlan& plan_;
  std::vector<TScaledCopy>& copies_;
  std::vector<bool> wanted_;
  const std::vector<TSize> upright_;
};

}  // namespace

bool ScaleJpegData(const std::string& bytes, const std::vector<TScaleRequest>& requests,
                   const TCopyPlan& plan, std::vector<TScaledCopy>& copies) {
  copies.resize(requests.size());
  if (plan.sources.size() != requests.size()) return false;  // a plan for other requests
  TCopyMaker maker(requests, plan, copies);
  try {
    const TPhotoDecoder photo(bytes);
    if (!photo.Ok() || photo.Width() != plan.width || photo.Height() != plan.height)
      return false;  // a plan for another photo
    maker.FromPhoto(photo);
    maker.FromCopies();
    return true;
  } catch (const vips::VError&) {
    vips_error_clear();
    maker.Fail();
    return false;
  }
}

std::string TVipsImageProcessor::Identity() const {
  // Raise the pipeline's number with every change to how copies are decoded, scaled, turned,
  // converted or encoded.
  constexpr int kPipelineVersion = 5;
  std::string identity = "scale " + std::to_string(kPipelineVersion) + "; " + EncoderIdentity() +
                         "; libvips " + vips_version_string();
#ifdef LIBJPEG_TURBO_VERSION
#define VISTREL_TEXT(x) #x
#define VISTREL_STRING(x) VISTREL_TEXT(x)
  identity += "; libjpeg-turbo " VISTREL_STRING(LIBJPEG_TURBO_VERSION);
#endif
  return identity;
}

TBitmap RenderPreviewBitmap(const std::string& file, int box_width, int box_height) {
  std::string bytes;
  if (box_width < 1 || box_height < 1 || !SystemDisk().ReadFile(file, bytes).Ok()) return {};
  try {
    const TPhotoDecoder photo(bytes);
    if (!photo.Ok()) return {};
    const bool turned = IsTurned(photo.Orientation());
    const int64_t w = turned ? photo.Height() : photo.Width();
    const int64_t h = turned ? photo.Width() : photo.Height();
    const TSize size = FitIntoBox(w, h, box_width, box_height);
    if (size.width < 1 || size.height < 1) return {};
    const TSize need = turned ? TSize{size.height, size.width} : size;
    const TDecodedPicture decoded = photo.Decode(need, false);
    VImage image =
        ResizeTo(decoded.image, Span(photo.Width(), photo.Height(), decoded.eighths), need);
    if (NeedsOrienting(photo.Orientation())) image = image.copy_memory().autorot();
    return EncodeBmp(ToSrgb(image));
  } catch (const vips::VError&) {
    vips_error_clear();
    return {};
  }
}

TBitmap RenderFullSizeBitmap(const std::string& file) {
  std::string bytes;
  if (!SystemDisk().ReadFile(file, bytes).Ok()) return {};
  try {
    const TPhotoDecoder photo(bytes);
    if (!photo.Ok()) return {};
    return EncodeBmp(ToSrgb(photo.DecodeWhole(false).autorot()));
  } catch (const vips::VError&) {
    vips_error_clear();
    return {};
  }
}

TLocationRemoval TVipsImageProcessor::RemoveLocation(std::string& bytes) {
  return vistrel::RemoveLocation(bytes);
}

}  // namespace vistrel
