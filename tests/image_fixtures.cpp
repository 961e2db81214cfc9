#include "image_fixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vips/vips8>

#include "imaging/image_library.h"

namespace vistrel::testing {

namespace {

class ImageLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { library_ = std::make_unique<TImageLibrary>("vistrel-tests"); }
  void TearDown() override { library_.reset(); }

 private:
  std::unique_ptr<TImageLibrary> library_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ImageLibraryEnvironment);

std::string Le16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

size_t IfdSize(const std::vector<TTiffEntry>& entries) {
  size_t size = 2 + 12 * entries.size() + 4;
  for (const auto& e : entries)
    if (e.data.size() > 4) size += e.data.size() + (e.data.size() & 1);
  return size;
}

// Serialises one directory placed at `offset`, its long values right after it.
std::string WriteIfd(const std::vector<TTiffEntry>& entries, uint32_t offset, uint32_t next) {
  std::string ifd = Le16(static_cast<uint32_t>(entries.size()));
  std::string data;
  uint32_t data_offset = offset + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  for (const auto& e : entries) {
    ifd += Le16(e.tag) + Le16(e.type) + Le32(e.count);
    if (e.data.size() <= 4) {
      ifd += e.data + std::string(4 - e.data.size(), '\0');
    } else {
      ifd += Le32(data_offset + static_cast<uint32_t>(data.size()));
      data += e.data;
      if (e.data.size() & 1) data.push_back('\0');
    }
  }
  return ifd + Le32(next) + data;
}

// The CMYK picture that the plain formula turns back into the 8-bit sRGB picture `rgb`.
vips::VImage PlainCmyk(const vips::VImage& rgb) {
  const vips::VImage r = rgb[0], g = rgb[1], b = rgb[2];
  vips::VImage most = (r > g).ifthenelse(r, g);
  most = (most > b).ifthenelse(most, b);
  // Black where nothing is lit; elsewhere each ink takes away what its colour lacks.
  const vips::VImage lit = (most > 0).ifthenelse(most, 1);
  vips::VImage cmyk = ((most - rgb) * 255 / lit).bandjoin(255 - most);
  return cmyk.round(VIPS_OPERATION_ROUND_RINT)
      .cast(VIPS_FORMAT_UCHAR)
      .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_CMYK));
}

}  // namespace

namespace {

// The picture of MakeJpeg(), stored for `stored_for_orientation`.
vips::VImage TestPicture(int width, int height, int stored_for_orientation) {
  // Brightness falls from top to bottom; the left half leans red, the right half blue.
  vips::VImage x = vips::VImage::xyz(width, height)[0];
  vips::VImage y = vips::VImage::xyz(width, height)[1];
  vips::VImage light = 230 - y * (160.0 / std::max(1, height));
  vips::VImage left = (x < width / 2).ifthenelse(1, 0);
  vips::VImage red = light * (0.5 + 0.5 * left);
  vips::VImage blue = light * (1.0 - 0.5 * left);
  vips::VImage image = red.bandjoin(light * 0.6).bandjoin(blue).cast(VIPS_FORMAT_UCHAR);
  image = image.copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  // The stored pixels are the inverse of what the orientation does to show them.
  switch (stored_for_orientation) {
    case 2:
      image = image.flip(VIPS_DIRECTION_HORIZONTAL);
      break;
    case 3:
      image = image.rot(VIPS_ANGLE_D180);
      break;
    case 4:
      image = image.flip(VIPS_DIRECTION_VERTICAL);
      break;
    case 5:
      image = image.rot(VIPS_ANGLE_D90).flip(VIPS_DIRECTION_HORIZONTAL);
      break;  // transpose
    case 6:
      image = image.rot(VIPS_ANGLE_D270);
      break;
    case 7:
      image = image.rot(VIPS_ANGLE_D270).flip(VIPS_DIRECTION_HORIZONTAL);
      break;  // transverse
    case 8:
      image = image.rot(VIPS_ANGLE_D90);
      break;
    default:
      break;
  }
  return image;
}

std::string TakeBlob(VipsBlob* blob) {
  std::string bytes(static_cast<const char*>(VIPS_AREA(blob)->data), VIPS_AREA(blob)->length);
  vips_area_unref(VIPS_AREA(blob));
  return bytes;
}

// Big-endian numbers of an ISO base media file.
uint64_t Be(const std::string& bytes, size_t pos, int size) {
  uint64_t value = 0;
  for (int i = 0; i < size; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes.at(pos + static_cast<size_t>(i)));
  return value;
}
void SetBe(std::string& bytes, size_t pos, int size, uint64_t value) {
  for (int i = size - 1; i >= 0; --i, value >>= 8)
    bytes.at(pos + static_cast<size_t>(i)) = static_cast<char>(value & 0xFF);
}
// The position of the first box of `type` in [start, end), or npos.
size_t FindBox(const std::string& bytes, size_t start, size_t end, const char* type) {
  for (size_t pos = start; pos + 8 <= end;) {
    const size_t size = static_cast<size_t>(Be(bytes, pos, 4));
    if (bytes.compare(pos + 4, 4, type) == 0) return pos;
    if (size < 8) break;
    pos += size;
  }
  return std::string::npos;
}
void GrowBox(std::string& bytes, size_t box, size_t by) {
  SetBe(bytes, box, 4, Be(bytes, box, 4) + by);
}

}  // namespace

std::string WithHeifProperties(const std::string& heif, const std::vector<std::string>& boxes) {
  std::string bytes = heif;
  const size_t meta = FindBox(bytes, 0, bytes.size(), "meta");
  const size_t meta_end = meta + static_cast<size_t>(Be(bytes, meta, 4));
  const size_t pitm = FindBox(bytes, meta + 12, meta_end, "pitm");
  const size_t iloc = FindBox(bytes, meta + 12, meta_end, "iloc");
  const size_t iprp = FindBox(bytes, meta + 12, meta_end, "iprp");
  const size_t iprp_end = iprp + static_cast<size_t>(Be(bytes, iprp, 4));
  const size_t ipco = FindBox(bytes, iprp + 8, iprp_end, "ipco");
  const size_t ipma = FindBox(bytes, iprp + 8, iprp_end, "ipma");
  const uint64_t primary = Be(bytes, pitm + 12, bytes[pitm + 8] == 0 ? 2 : 4);
  std::string properties;
  for (const std::string& box : boxes) properties += box;
  // The new properties' numbers follow those already in "ipco".
  size_t count = 0;
  const size_t ipco_end = ipco + static_cast<size_t>(Be(bytes, ipco, 4));
  for (size_t pos = ipco + 8; pos < ipco_end; pos += static_cast<size_t>(Be(bytes, pos, 4)))
    ++count;
  // The primary item's entry in "ipma" gets the associations, marked essential.
  const int ipma_version = bytes[ipma + 8];
  const bool wide = Be(bytes, ipma + 9, 3) & 1;
  const int id_size = ipma_version < 1 ? 2 : 4;
  const int index_size = wide ? 2 : 1;
  std::string associations;
  for (size_t i = 0; i < boxes.size(); ++i) {
    std::string association(static_cast<size_t>(index_size), '\0');
    SetBe(association, 0, index_size, (wide ? 0x8000 : 0x80) | (count + 1 + i));
    associations += association;
  }
  size_t pos = ipma + 16;
  const uint64_t entries = Be(bytes, ipma + 12, 4);
  size_t insert_at = std::string::npos;
  for (uint64_t e = 0; e < entries; ++e) {
    const uint64_t item = Be(bytes, pos, id_size);
    const size_t n = static_cast<unsigned char>(bytes[pos + static_cast<size_t>(id_size)]);
    const size_t after = pos + static_cast<size_t>(id_size) + 1 + n * index_size;
    if (item == primary) {
      bytes[pos + static_cast<size_t>(id_size)] = static_cast<char>(n + boxes.size());
      insert_at = after;
    }
    pos = after;
  }
  const size_t delta = properties.size() + associations.size();
  // Item data behind the metadata moves by `delta`: "iloc" offsets into the file grow.
  const int iloc_version = bytes[iloc + 8];
  const int offset_size = static_cast<unsigned char>(bytes[iloc + 12]) >> 4;
  const int length_size = bytes[iloc + 12] & 15;
  const int base_size = static_cast<unsigned char>(bytes[iloc + 13]) >> 4;
  const int extent_index_size = iloc_version >= 1 ? bytes[iloc + 13] & 15 : 0;
  const int item_id_size = iloc_version < 2 ? 2 : 4;
  size_t at = iloc + 14;
  const uint64_t items = Be(bytes, at, item_id_size);
  at += static_cast<size_t>(item_id_size);
  for (uint64_t i = 0; i < items; ++i) {
    at += static_cast<size_t>(item_id_size);
    int construction = 0;
    if (iloc_version >= 1) {
      construction = static_cast<int>(Be(bytes, at, 2) & 15);
      at += 2;
    }
    at += 2;  // data reference index
    const size_t base_at = at;
    if (construction == 0 && base_size > 0)
      SetBe(bytes, base_at, base_size, Be(bytes, base_at, base_size) + delta);
    at += static_cast<size_t>(base_size);
    const uint64_t extents = Be(bytes, at, 2);
    at += 2;
    for (uint64_t x = 0; x < extents; ++x) {
      at += static_cast<size_t>(extent_index_size);
      if (construction == 0 && base_size == 0 && offset_size > 0)
        SetBe(bytes, at, offset_size, Be(bytes, at, offset_size) + delta);
      at += static_cast<size_t>(offset_size + length_size);
    }
  }
  bytes.insert(insert_at, associations);
  GrowBox(bytes, ipma, associations.size());
  bytes.insert(ipco_end, properties);
  GrowBox(bytes, ipco, properties.size());
  GrowBox(bytes, iprp, delta);
  GrowBox(bytes, meta, delta);
  return bytes;
}

std::string HeifProperty(const char* type, unsigned char value) {
  return std::string("\0\0\0\x09", 4) + type + static_cast<char>(value);
}

std::string MakePhoto(TImageFormat format, int width, int height, const TPhotoOptions& options) {
  vips::VImage image = TestPicture(width, height, options.stored_for_orientation);
  if (options.transparent_left) {
    // Alpha 0 in the left half: a transparent photo shows its background there.
    vips::VImage x = vips::VImage::xyz(image.width(), image.height())[0];
    image = image.bandjoin((x < image.width() / 2).ifthenelse(0, 255).cast(VIPS_FORMAT_UCHAR));
  }
  if (options.pages > 1) {
    // Later pages are black: only the first may be shown.
    const int page_height = image.height();
    std::vector<vips::VImage> pages = {image};
    for (int p = 1; p < options.pages; ++p)
      pages.push_back(image.linear(0.0, 0.0).cast(VIPS_FORMAT_UCHAR));
    image = vips::VImage::arrayjoin(pages, vips::VImage::option()->set("across", 1));
    image.set("page-height", page_height);
  }
  if (!options.exif.empty()) {
    const std::string exif = std::string("Exif\0\0", 6) + options.exif;
    image = image.copy();
    vips_image_set_blob_copy(image.get_image(), VIPS_META_EXIF_NAME, exif.data(), exif.size());
  }
  if (options.exif_orientation > 1) image.set(VIPS_META_ORIENTATION, options.exif_orientation);
  switch (format) {
    case TImageFormat::kJpeg:
      return TakeBlob(image.jpegsave_buffer());
    case TImageFormat::kPng:
      return TakeBlob(image.pngsave_buffer());
    case TImageFormat::kTiff:
      return TakeBlob(image.tiffsave_buffer());
    case TImageFormat::kWebp:
      return TakeBlob(image.webpsave_buffer(vips::VImage::option()->set("lossless", true)));
    case TImageFormat::kHeif:
    case TImageFormat::kAvif:
      return TakeBlob(image.heifsave_buffer(vips::VImage::option()->set("Q", 90)->set(
          "compression", format == TImageFormat::kAvif ? VIPS_FOREIGN_HEIF_COMPRESSION_AV1
                                                       : VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)));
    case TImageFormat::kJxl: {
      // The encoder is blocked with libvips' other untrusted operations; the tests need it.
      vips_operation_block_set("VipsForeignSaveJxl", FALSE);
      return TakeBlob(image.jxlsave_buffer(vips::VImage::option()->set("lossless", true)));
    }
    case TImageFormat::kUnknown:
      break;
  }
  return {};
}

std::string MakeJpeg(int width, int height, const TJpegOptions& options) {
  vips::VImage image = TestPicture(width, height, options.stored_for_orientation);
  if (options.bands == 1) image = image.colourspace(VIPS_INTERPRETATION_B_W);
  if (options.bands == 4 && options.cmyk == TJpegOptions::TCmyk::kPlain) {
    image = PlainCmyk(image);
  } else if (options.bands == 4) {
    image = image.icc_export(vips::VImage::option()->set("output_profile", "cmyk"));
  }
  const bool keep_profile =
      !options.icc_profile.empty() ||
      (options.bands == 4 && options.cmyk == TJpegOptions::TCmyk::kProfileEmbedded);
  if (!options.icc_profile.empty()) {
    image = image.icc_transform(options.icc_profile.c_str(),
                                vips::VImage::option()->set("embedded", false));
    image = image.cast(VIPS_FORMAT_UCHAR);
  }
  return TakeBlob(image.jpegsave_buffer(vips::VImage::option()
                                            ->set("Q", options.quality)
                                            ->set("interlace", options.progressive)
                                            ->set("strip", !keep_profile)));
}

TTiffEntry Ascii(uint16_t tag, const std::string& text) {
  return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + '\0'};
}
TTiffEntry Short(uint16_t tag, uint16_t value) { return {tag, 3, 1, Le16(value)}; }
TTiffEntry Long(uint16_t tag, uint32_t value) { return {tag, 4, 1, Le32(value)}; }
TTiffEntry Rational(uint16_t tag, uint32_t numerator, uint32_t denominator) {
  return {tag, 5, 1, Le32(numerator) + Le32(denominator)};
}
TTiffEntry SRational(uint16_t tag, int32_t numerator, int32_t denominator) {
  return {tag, 10, 1,
          Le32(static_cast<uint32_t>(numerator)) + Le32(static_cast<uint32_t>(denominator))};
}
TTiffEntry Rationals(uint16_t tag, const std::vector<std::pair<uint32_t, uint32_t>>& values) {
  std::string data;
  for (const auto& [numerator, denominator] : values) data += Le32(numerator) + Le32(denominator);
  return {tag, 5, static_cast<uint32_t>(values.size()), data};
}
TTiffEntry Bytes(uint16_t tag, uint16_t type, const std::string& data) {
  return {tag, type, static_cast<uint32_t>(data.size()), data};
}

std::string BuildTiff(const TTiff& tiff) {
  std::vector<TTiffEntry> ifd0 = tiff.ifd0;
  // Pointer entries first get a placeholder; their offsets are known once the sizes are.
  const bool has_exif = !tiff.exif.empty();
  const bool has_gps = !tiff.gps.empty();
  if (has_exif) ifd0.push_back(Long(0x8769, 0));
  if (has_gps) ifd0.push_back(Long(0x8825, 0));
  const uint32_t ifd0_offset = 8;
  const uint32_t exif_offset = ifd0_offset + static_cast<uint32_t>(IfdSize(ifd0));
  const uint32_t gps_offset =
      exif_offset + (has_exif ? static_cast<uint32_t>(IfdSize(tiff.exif)) : 0);
  const uint32_t ifd1_offset =
      gps_offset + (has_gps ? static_cast<uint32_t>(IfdSize(tiff.gps)) : 0);
  for (auto& e : ifd0) {
    if (e.tag == 0x8769 && has_exif) e.data = Le32(exif_offset);
    if (e.tag == 0x8825 && has_gps) e.data = Le32(gps_offset);
  }
  std::string out = "II" + Le16(42) + Le32(ifd0_offset);
  out += WriteIfd(ifd0, ifd0_offset, tiff.ifd1.empty() ? 0 : ifd1_offset);
  if (has_exif) out += WriteIfd(tiff.exif, exif_offset, 0);
  if (has_gps) out += WriteIfd(tiff.gps, gps_offset, 0);
  if (!tiff.ifd1.empty()) out += WriteIfd(tiff.ifd1, ifd1_offset, 0);
  return out;
}

std::string WithExif(const std::string& jpeg, const std::string& tiff) {
  std::string payload = std::string("Exif\0\0", 6) + tiff;
  const size_t length = payload.size() + 2;
  if (length > 0xFFFF) throw std::length_error("EXIF block too large for one segment");
  std::string segment = "\xFF\xE1";
  segment.push_back(static_cast<char>(length >> 8));
  segment.push_back(static_cast<char>(length & 0xFF));
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

TImageInfo InspectJpeg(const std::string& path) {
  vips::VImage image = vips::VImage::new_from_file(path.c_str());
  TImageInfo info;
  info.width = image.width();
  info.height = image.height();
  info.bands = image.bands();
  info.has_exif = image.get_typeof(VIPS_META_EXIF_NAME) != 0;
  info.has_icc = image.get_typeof(VIPS_META_ICC_NAME) != 0;
  return info;
}

std::vector<double> MeanColor(const std::string& path, int left, int top, int width, int height) {
  vips::VImage image = vips::VImage::new_from_file(path.c_str()).crop(left, top, width, height);
  std::vector<double> means;
  for (int b = 0; b < image.bands(); ++b) means.push_back(image[b].avg());
  return means;
}

std::vector<double> MeanDifference(const std::string& path_a, const std::string& path_b) {
  const vips::VImage a = vips::VImage::new_from_file(path_a.c_str());
  const vips::VImage b = vips::VImage::new_from_file(path_b.c_str());
  const vips::VImage difference = (a - b).abs();
  std::vector<double> means;
  for (int band = 0; band < difference.bands(); ++band) means.push_back(difference[band].avg());
  return means;
}

}  // namespace vistrel::testing
