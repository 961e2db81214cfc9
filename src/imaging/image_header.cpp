#include "imaging/image_header.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "imaging/jpeg_header.h"

namespace vistrel {

namespace {

// Bounds-checked reads of unsigned numbers from a byte view.
class TBytes {
 public:
  TBytes(std::string_view bytes, bool big_endian) : bytes_(bytes), big_endian_(big_endian) {}
  size_t size() const { return bytes_.size(); }
  bool Has(uint64_t pos, uint64_t count) const {
    return pos <= bytes_.size() && count <= bytes_.size() - pos;
  }
  // The `count`-byte number at `pos` (count <= 8), or none past the end.
  std::optional<uint64_t> Get(uint64_t pos, int count) const {
    if (!Has(pos, static_cast<uint64_t>(count))) return std::nullopt;
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
      const auto byte = static_cast<unsigned char>(
          bytes_[pos + static_cast<size_t>(big_endian_ ? i : count - 1 - i)]);
      value = (value << 8) | byte;
    }
    return value;
  }
  bool Is(uint64_t pos, std::string_view text) const {
    return Has(pos, text.size()) && bytes_.substr(pos, text.size()) == text;
  }
  std::string_view Slice(uint64_t pos, uint64_t count) const {
    return Has(pos, count) ? bytes_.substr(pos, count) : std::string_view();
  }

 private:
  std::string_view bytes_;
  bool big_endian_;
};

// A header of `width` x `height`, valid when both are at least 1.
TImageHeader Sized(TImageFormat format, uint64_t width, uint64_t height) {
  TImageHeader header;
  header.format = format;
  if (width == 0 || height == 0 || width > UINT32_MAX || height > UINT32_MAX) return header;
  header.valid = true;
  header.width = header.max_width = static_cast<uint32_t>(width);
  header.height = header.max_height = static_cast<uint32_t>(height);
  return header;
}

TImageHeader ParsePng(const TBytes& png) {
  // The first chunk must be IHDR: 13 bytes, width and height first.
  if (png.Get(8, 4) != 13u || !png.Is(12, "IHDR")) return Sized(TImageFormat::kPng, 0, 0);
  return Sized(TImageFormat::kPng, png.Get(16, 4).value_or(0), png.Get(20, 4).value_or(0));
}

TImageHeader ParseWebp(const TBytes& webp) {
  // RIFF, size, WEBP, then the first chunk: a lossy frame, a lossless one, or the extended
  // header with the canvas size.
  constexpr uint64_t kData = 20;
  const auto none = Sized(TImageFormat::kWebp, 0, 0);
  if (webp.Is(12, "VP8 ")) {
    if (!webp.Is(kData + 3, "\x9D\x01\x2A")) return none;
    return Sized(TImageFormat::kWebp, webp.Get(kData + 6, 2).value_or(0) & 0x3FFF,
                 webp.Get(kData + 8, 2).value_or(0) & 0x3FFF);
  }
  if (webp.Is(12, "VP8L")) {
    const auto bits = webp.Get(kData + 1, 4);
    if (!webp.Is(kData, "\x2F") || !bits) return none;
    return Sized(TImageFormat::kWebp, (*bits & 0x3FFF) + 1, ((*bits >> 14) & 0x3FFF) + 1);
  }
  if (webp.Is(12, "VP8X")) {
    const auto width = webp.Get(kData + 4, 3);
    const auto height = webp.Get(kData + 7, 3);
    if (!width || !height) return none;
    return Sized(TImageFormat::kWebp, *width + 1, *height + 1);
  }
  return none;
}

// TIFF and BigTIFF: the first directory's image size and tile size (the first page is the
// one decoded).
TImageHeader ParseTiff(std::string_view bytes) {
  const bool big_endian = bytes.substr(0, 2) == "MM";
  const TBytes tiff(bytes, big_endian);
  const bool big = tiff.Get(2, 2) == 43u;
  const auto none = Sized(TImageFormat::kTiff, 0, 0);
  const int offset_size = big ? 8 : 4;
  const auto ifd = big ? tiff.Get(8, 8) : tiff.Get(4, 4);
  if (!ifd || (big && (tiff.Get(4, 2) != 8u || tiff.Get(6, 2) != 0u))) return none;
  const auto count = tiff.Get(*ifd, big ? 8 : 2);
  const uint64_t entry_size = big ? 20 : 12;
  const uint64_t first = *ifd + (big ? 8 : 2);
  if (!count || *count == 0 ||
      *count > (tiff.size() - std::min<uint64_t>(tiff.size(), first)) / entry_size)
    return none;
  uint64_t width = 0, height = 0, tile_width = 0, tile_height = 0;
  for (uint64_t i = 0; i < *count; ++i) {
    const uint64_t entry = first + i * entry_size;
    const uint64_t tag = tiff.Get(entry, 2).value_or(0);
    const uint64_t type = tiff.Get(entry + 2, 2).value_or(0);
    const uint64_t value_pos = entry + 4 + static_cast<uint64_t>(offset_size);
    // SHORT, LONG or (BigTIFF) LONG8, held in the entry itself.
    const int size = type == 3 ? 2 : type == 4 ? 4 : type == 16 && big ? 8 : 0;
    if (size == 0) continue;
    const uint64_t value = tiff.Get(value_pos, size).value_or(0);
    if (tag == 256) width = value;
    if (tag == 257) height = value;
    if (tag == 322) tile_width = value;
    if (tag == 323) tile_height = value;
  }
  TImageHeader header = Sized(TImageFormat::kTiff, width, height);
  if (header.valid) {
    header.max_width = static_cast<uint32_t>(
        std::min<uint64_t>(std::max<uint64_t>(header.max_width, tile_width), UINT32_MAX));
    header.max_height = static_cast<uint32_t>(
        std::min<uint64_t>(std::max<uint64_t>(header.max_height, tile_height), UINT32_MAX));
  }
  return header;
}

// One box of an ISO base media file: its type and its contents.
struct TBox {
  std::string_view type;
  uint64_t start = 0;  // of the contents, in the file
  uint64_t size = 0;   // of the contents
};

// The boxes directly inside [start, end) of `file`; a box that runs past the end ends the walk.
std::vector<TBox> Boxes(const TBytes& file, uint64_t start, uint64_t end) {
  std::vector<TBox> boxes;
  uint64_t pos = start;
  while (pos + 8 <= end) {
    const uint64_t size32 = *file.Get(pos, 4);
    uint64_t header = 8;
    uint64_t size = size32;
    if (size32 == 1) {
      const auto large = file.Get(pos + 8, 8);
      if (!large || pos + 16 > end) break;
      size = *large;
      header = 16;
    } else if (size32 == 0) {
      size = end - pos;
    }
    if (size < header || size > end - pos) break;
    boxes.push_back({file.Slice(pos + 4, 4), pos + header, size - header});
    pos += size;
  }
  return boxes;
}

const TBox* Find(const std::vector<TBox>& boxes, std::string_view type) {
  for (const TBox& box : boxes)
    if (box.type == type) return &box;
  return nullptr;
}

// The metadata box of a HEIF file: its items, where their data lie, and their properties.
class THeifMeta {
 public:
  struct TItem {
    uint64_t id = 0;
    std::string_view type;          // "hvc1", "av01", "grid", "Exif", "mime", ...
    std::string_view content_type;  // of a "mime" item
  };

  // The top-level "meta" box of `file`; none without one.
  static std::optional<THeifMeta> Read(const TBytes& file) {
    const std::vector<TBox> top = Boxes(file, 0, file.size());
    const TBox* meta = Find(top, "meta");
    if (!meta || meta->size < 4) return std::nullopt;
    THeifMeta heif(file);
    heif.children_ = Boxes(file, meta->start + 4, meta->start + meta->size);
    heif.ReadItems();
    return heif;
  }

  const std::vector<TBox>& Children() const { return children_; }
  const std::vector<TItem>& Items() const { return items_; }

  // The primary item's ID, from "pitm".
  std::optional<uint64_t> Primary() const {
    const TBox* pitm = Find(children_, "pitm");
    if (!pitm) return std::nullopt;
    const auto version = file_.Get(pitm->start, 1);
    return file_.Get(pitm->start + 4, version == 0u ? 2 : 4);
  }

  // The data of an item stored in one piece, in the file or in "idat"; empty when it cannot
  // be found.
  std::string_view ItemData(uint64_t item) const {
    const TBox* iloc = Find(children_, "iloc");
    const TBox* idat = Find(children_, "idat");
    const auto location = iloc ? Location(*iloc, item) : std::nullopt;
    if (!location || location->construction > 1 || (location->construction == 1 && !idat))
      return {};
    if (location->construction == 0) return file_.Slice(location->offset, location->length);
    if (location->offset > idat->size || location->length > idat->size - location->offset)
      return {};
    return file_.Slice(idat->start + location->offset, location->length);
  }

 private:
  explicit THeifMeta(const TBytes& file) : file_(file) {}

  // The items "iinf" lists, as far as their entries (version 2 or 3) say their type.
  void ReadItems() {
    const TBox* iinf = Find(children_, "iinf");
    if (!iinf) return;
    const uint64_t skip = 4 + (file_.Get(iinf->start, 1) == 0u ? 2 : 4);
    if (iinf->size < skip) return;
    for (const TBox& infe : Boxes(file_, iinf->start + skip, iinf->start + iinf->size)) {
      const auto version = file_.Get(infe.start, 1);
      if (infe.type != "infe" || !version || *version < 2 || infe.size < 4) continue;
      const int id_size = *version == 2 ? 2 : 4;
      const std::string_view body = file_.Slice(infe.start, infe.size);
      TItem item;
      item.id = file_.Get(infe.start + 4, id_size).value_or(0);
      const size_t type_at = 4 + static_cast<size_t>(id_size) + 2;
      if (body.size() < type_at + 4) continue;
      item.type = body.substr(type_at, 4);
      // The item's name, then for a "mime" item its content type, each ending in a NUL.
      const size_t name_end = body.find('\0', type_at + 4);
      if (item.type == "mime" && name_end != std::string_view::npos) {
        const size_t type_end = body.find('\0', name_end + 1);
        item.content_type =
            body.substr(name_end + 1, type_end == std::string_view::npos ? std::string_view::npos
                                                                         : type_end - name_end - 1);
      }
      items_.push_back(item);
    }
  }

  // Where an item's data lie: in the file or in the "idat" box.
  struct TLocation {
    int construction = 0;  // 0: file offset, 1: idat offset
    uint64_t offset = 0;
    uint64_t length = 0;
  };

  // Reads "iloc" for the first extent of `item`.
  std::optional<TLocation> Location(const TBox& iloc, uint64_t item) const {
    const uint64_t end = iloc.start + iloc.size;
    const auto version = file_.Get(iloc.start, 1);
    const auto sizes = file_.Get(iloc.start + 4, 1);
    const auto more_sizes = file_.Get(iloc.start + 5, 1);
    if (!version || !sizes || !more_sizes || *version > 2) return std::nullopt;
    const int offset_size = static_cast<int>(*sizes >> 4);
    const int length_size = static_cast<int>(*sizes & 15);
    const int base_size = static_cast<int>(*more_sizes >> 4);
    const int index_size = *version >= 1 ? static_cast<int>(*more_sizes & 15) : 0;
    for (int size : {offset_size, length_size, base_size, index_size})
      if (size != 0 && size != 4 && size != 8) return std::nullopt;
    const int id_size = *version < 2 ? 2 : 4;
    uint64_t pos = iloc.start + 6;
    const auto count = file_.Get(pos, id_size);
    if (!count) return std::nullopt;
    pos += static_cast<uint64_t>(id_size);
    auto read = [&](int size) -> uint64_t {
      if (size == 0) return 0;
      const auto value =
          pos + static_cast<uint64_t>(size) <= end ? file_.Get(pos, size) : std::nullopt;
      pos += static_cast<uint64_t>(size);
      return value.value_or(0);
    };
    const uint64_t extent_size = static_cast<uint64_t>(index_size + offset_size + length_size);
    for (uint64_t i = 0; i < *count && pos < end; ++i) {
      const uint64_t id = read(id_size);
      const int construction = *version >= 1 ? static_cast<int>(read(2) & 15) : 0;
      read(2);  // data reference index
      const uint64_t base = read(base_size);
      const uint64_t extents = read(2);
      if (pos > end || extents * extent_size > end - pos) return std::nullopt;
      if (id == item && extents > 0) {
        read(index_size);
        const uint64_t offset = read(offset_size);
        if (offset > UINT64_MAX - base) return std::nullopt;
        return TLocation{construction, base + offset, read(length_size)};
      }
      pos += extents * extent_size;
    }
    return std::nullopt;
  }

  const TBytes& file_;
  std::vector<TBox> children_;
  std::vector<TItem> items_;
};

// The "ispe" property among `properties` (numbered from 1) that the "ipma" boxes among
// `iprp_children` associate with item `primary`; null when there is none, or an "ipma" box
// before it is cut short.
const TBox* PrimarySizeProperty(const TBytes& file, const std::vector<TBox>& iprp_children,
                                const std::vector<TBox>& properties, uint64_t primary) {
  for (const TBox& ipma : iprp_children) {
    if (ipma.type != "ipma") continue;
    const auto version = file.Get(ipma.start, 1);
    const auto flags = file.Get(ipma.start + 1, 3);
    const auto entries = file.Get(ipma.start + 4, 4);
    if (!version || !flags || !entries) return nullptr;
    uint64_t pos = ipma.start + 8;
    const uint64_t end = ipma.start + ipma.size;
    const int id_size = *version < 1 ? 2 : 4;
    const int index_size = (*flags & 1) ? 2 : 1;
    for (uint64_t i = 0; i < *entries && pos < end; ++i) {
      const auto item = file.Get(pos, id_size);
      const auto count = file.Get(pos + static_cast<uint64_t>(id_size), 1);
      if (!item || !count) return nullptr;
      pos += static_cast<uint64_t>(id_size) + 1;
      for (uint64_t a = 0; a < *count; ++a, pos += static_cast<uint64_t>(index_size)) {
        const auto association = pos + static_cast<uint64_t>(index_size) <= end
                                     ? file.Get(pos, index_size)
                                     : std::nullopt;
        if (!association) return nullptr;
        const uint64_t index = *association & (index_size == 2 ? 0x7FFF : 0x7F);
        if (*item == primary && index >= 1 && index <= properties.size() &&
            properties[index - 1].type == "ispe")
          return &properties[index - 1];
      }
    }
  }
  return nullptr;
}

// Widens `max_width` and `max_height` to the output size of a primary image made of tiles
// (grid) or of layers (overlay): after version and flags, a grid's rows and columns or an
// overlay's fill colour. False when that size is cut short.
bool WidenByDerivedImage(const THeifMeta& heif, uint64_t primary, uint64_t& max_width,
                         uint64_t& max_height) {
  for (const THeifMeta::TItem& item : heif.Items()) {
    if (item.id != primary || (item.type != "grid" && item.type != "iovl")) continue;
    const TBytes data(heif.ItemData(item.id), true);
    const auto flags = data.Get(1, 1);
    const uint64_t sizes_at = item.type == "grid" ? 4 : 10;
    const int size = flags && (*flags & 1) ? 4 : 2;
    const auto width = data.Get(sizes_at, size);
    const auto height = data.Get(sizes_at + static_cast<uint64_t>(size), size);
    if (!width || !height) return false;
    max_width = std::max(max_width, *width);
    max_height = std::max(max_height, *height);
  }
  return true;
}

// HEIF and AVIF: every image item's "ispe", the primary item's, and the output size of a grid
// or overlay that makes the primary image.
TImageHeader ParseHeif(std::string_view bytes, TImageFormat format) {
  const TBytes file(bytes, true);
  const TImageHeader none = Sized(format, 0, 0);
  const std::optional<THeifMeta> heif = THeifMeta::Read(file);
  const std::optional<uint64_t> primary = heif ? heif->Primary() : std::nullopt;
  const TBox* iprp = heif ? Find(heif->Children(), "iprp") : nullptr;
  if (!primary || !iprp) return none;

  // The properties, numbered from 1, and which of them belong to which item.
  const std::vector<TBox> iprp_children = Boxes(file, iprp->start, iprp->start + iprp->size);
  const TBox* ipco = Find(iprp_children, "ipco");
  if (!ipco) return none;
  const std::vector<TBox> properties = Boxes(file, ipco->start, ipco->start + ipco->size);
  // An "ispe" cut short declares no size, and may not be trusted to be small.
  auto ispe = [&](const TBox& box, int which) -> uint64_t {
    return box.size >= 12 ? *file.Get(box.start + 4 + 4 * static_cast<uint64_t>(which), 4)
                          : UINT32_MAX;
  };
  uint64_t max_width = 0, max_height = 0;
  for (const TBox& property : properties) {
    if (property.type != "ispe") continue;
    max_width = std::max(max_width, ispe(property, 0));
    max_height = std::max(max_height, ispe(property, 1));
  }
  const TBox* primary_size = PrimarySizeProperty(file, iprp_children, properties, *primary);
  if (!primary_size) return none;
  TImageHeader header = Sized(format, ispe(*primary_size, 0), ispe(*primary_size, 1));
  if (!header.valid) return header;
  if (!WidenByDerivedImage(*heif, *primary, max_width, max_height)) return none;
  header.max_width = static_cast<uint32_t>(std::min<uint64_t>(max_width, UINT32_MAX));
  header.max_height = static_cast<uint32_t>(std::min<uint64_t>(max_height, UINT32_MAX));
  return header;
}

// Reads a JPEG XL codestream's bits, least significant first.
class TBitReader {
 public:
  explicit TBitReader(std::string_view bytes) : bytes_(bytes) {}
  std::optional<uint64_t> Bits(int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i, ++pos_) {
      if (pos_ / 8 >= bytes_.size()) return std::nullopt;
      const auto byte = static_cast<unsigned char>(bytes_[pos_ / 8]);
      value |= static_cast<uint64_t>((byte >> (pos_ % 8)) & 1) << i;
    }
    return value;
  }
  // The codestream's U32(Bits(9), Bits(13), Bits(18), Bits(30)) of a dimension, plus 1.
  std::optional<uint64_t> Dimension() {
    static constexpr int kBits[] = {9, 13, 18, 30};
    const auto selector = Bits(2);
    if (!selector) return std::nullopt;
    const auto value = Bits(kBits[*selector]);
    return value ? std::optional<uint64_t>(*value + 1) : std::nullopt;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// JPEG XL: the size header that follows the codestream's signature, in a bare codestream or
// in the container's first "jxlc" or "jxlp" box.
TImageHeader ParseJxl(std::string_view bytes) {
  const TImageHeader none = Sized(TImageFormat::kJxl, 0, 0);
  std::string_view codestream = bytes;
  if (!bytes.starts_with("\xFF\x0A")) {
    const TBytes file(bytes, true);
    codestream = {};
    for (const TBox& box : Boxes(file, 0, file.size())) {
      if (box.type == "jxlc") codestream = file.Slice(box.start, box.size);
      if (box.type == "jxlp" && box.size >= 4) codestream = file.Slice(box.start + 4, box.size - 4);
      if (!codestream.empty()) break;
    }
  }
  if (!codestream.starts_with("\xFF\x0A")) return none;
  TBitReader bits(codestream.substr(2));
  const auto small = bits.Bits(1);
  if (!small) return none;
  std::optional<uint64_t> height;
  if (*small) {
    const auto eighths = bits.Bits(5);
    if (eighths) height = (*eighths + 1) * 8;
  } else {
    height = bits.Dimension();
  }
  const auto ratio = bits.Bits(3);
  if (!height || !ratio) return none;
  // Width by a fixed aspect ratio, or stored like the height.
  static constexpr uint64_t kRatios[8][2] = {{0, 0}, {1, 1},  {12, 10}, {4, 3},
                                             {3, 2}, {16, 9}, {5, 4},   {2, 1}};
  std::optional<uint64_t> width;
  if (*ratio != 0) {
    width = *height * kRatios[*ratio][0] / kRatios[*ratio][1];
  } else if (*small) {
    const auto eighths = bits.Bits(5);
    if (eighths) width = (*eighths + 1) * 8;
  } else {
    width = bits.Dimension();
  }
  return width ? Sized(TImageFormat::kJxl, *width, *height) : none;
}

}  // namespace

TImageHeader ParseImageHeader(std::string_view bytes) {
  const TImageFormat format = SniffImageFormat(bytes);
  switch (format) {
    case TImageFormat::kJpeg: {
      const TJpegHeader jpeg = ParseJpegHeader(bytes);
      return jpeg.valid ? Sized(format, jpeg.width, jpeg.height) : Sized(format, 0, 0);
    }
    case TImageFormat::kPng:
      return ParsePng(TBytes(bytes, true));
    case TImageFormat::kTiff:
      return ParseTiff(bytes);
    case TImageFormat::kWebp:
      return ParseWebp(TBytes(bytes, false));
    case TImageFormat::kHeif:
    case TImageFormat::kAvif:
      return ParseHeif(bytes, format);
    case TImageFormat::kJxl:
      return ParseJxl(bytes);
    case TImageFormat::kUnknown:
      break;
  }
  return {};
}

bool IsWithinDecodeLimits(const TImageHeader& header, std::string_view bytes) {
  if (!header.valid || header.max_width > kMaxImageSide || header.max_height > kMaxImageSide)
    return false;
  if (header.format == TImageFormat::kJpeg)
    return IsWithinDecodeLimits(ParseJpegHeader(bytes), bytes);
  return uint64_t{header.max_width} * header.max_height <= kMaxWholeDecodePixels;
}

THeifMetadata ReadHeifMetadata(std::string_view bytes) {
  THeifMetadata metadata;
  const TBytes file(bytes, true);
  const std::optional<THeifMeta> heif = THeifMeta::Read(file);
  if (!heif) return metadata;
  for (const THeifMeta::TItem& item : heif->Items()) {
    if (item.type == "Exif" && metadata.exif.empty()) {
      // The item starts with the offset of the TIFF header behind this number.
      const std::string_view data = heif->ItemData(item.id);
      const auto offset = TBytes(data, true).Get(0, 4);
      if (offset && *offset <= data.size() - 4) metadata.exif = data.substr(4 + *offset);
    }
    if (item.type == "mime" && item.content_type == "application/rdf+xml" && metadata.xmp.empty())
      metadata.xmp = heif->ItemData(item.id);
  }
  return metadata;
}

}  // namespace vistrel
