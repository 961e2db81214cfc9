#include "imaging/jpeg_header.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "support/disk.h"

namespace vistrel {

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kSoi = 0xD8;
constexpr unsigned char kEoi = 0xD9;
constexpr unsigned char kSos = 0xDA;

uint32_t BigEndian16(std::string_view bytes, size_t pos) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos])) << 8) |
         static_cast<unsigned char>(bytes[pos + 1]);
}

bool IsStandalone(unsigned char marker) {
  return (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01 || marker == kSoi;
}

bool IsStartOfFrame(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsProgressiveFrame(unsigned char marker) {
  return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

// Finds the next marker at or after `pos`: skips stray bytes and fill bytes. Returns the
// position of the marker code (the byte after the last 0xFF), or npos.
size_t NextMarker(std::string_view bytes, size_t pos) {
  while (pos < bytes.size()) {
    const void* found = std::memchr(bytes.data() + pos, kMarker, bytes.size() - pos);
    if (!found) return std::string_view::npos;
    pos = static_cast<size_t>(static_cast<const char*>(found) - bytes.data());
    while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) == kMarker) ++pos;
    if (pos >= bytes.size()) return std::string_view::npos;
    if (bytes[pos] != 0) return pos;  // 0xFF 0x00 is a stuffed byte inside image data
    ++pos;
  }
  return std::string_view::npos;
}

}  // namespace

TJpegHeader ParseJpegHeader(std::string_view bytes) {
  TJpegHeader header;
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != kMarker ||
      static_cast<unsigned char>(bytes[1]) != kSoi)
    return header;
  bool have_frame = false;
  size_t pos = 2;
  while (true) {
    size_t code_pos = NextMarker(bytes, pos);
    if (code_pos == std::string_view::npos) {
      header.truncated = true;
      return header;
    }
    const auto marker = static_cast<unsigned char>(bytes[code_pos]);
    pos = code_pos + 1;
    if (IsStandalone(marker)) continue;
    if (marker == kEoi) return header;
    if (pos + 2 > bytes.size()) {
      header.truncated = true;
      return header;
    }
    const uint32_t length = BigEndian16(bytes, pos);
    if (length < 2) return header;
    if (pos + length > bytes.size()) {
      header.truncated = true;
      return header;
    }
    if (IsStartOfFrame(marker) && !have_frame) {
      if (length < 8) return header;
      header.height = BigEndian16(bytes, pos + 3);
      header.width = BigEndian16(bytes, pos + 5);
      header.components = static_cast<unsigned char>(bytes[pos + 7]);
      header.progressive = IsProgressiveFrame(marker);
      have_frame = true;
    }
    pos += length;
    if (marker == kSos) {
      header.head_size = pos;
      header.valid = have_frame && header.width > 0 && header.height > 0;
      return header;
    }
  }
}

int CountJpegScans(std::string_view bytes, int stop_after) {
  int scans = 0;
  size_t pos = 2;
  while (scans <= stop_after) {
    size_t code_pos = NextMarker(bytes, pos);
    if (code_pos == std::string_view::npos) return scans;
    const auto marker = static_cast<unsigned char>(bytes[code_pos]);
    pos = code_pos + 1;
    if (marker == kEoi) return scans;
    if (IsStandalone(marker)) continue;  // restart markers inside image data
    if (pos + 2 > bytes.size()) return scans;
    const uint32_t length = BigEndian16(bytes, pos);
    if (length < 2) return scans;
    if (marker == kSos) ++scans;
    pos += length;
  }
  return scans;
}

TJpegHeader ReadJpegHead(const std::string& path, std::string& head, size_t max_bytes) {
  head.clear();
  TDisk& disk = SystemDisk();
  TFd fd;
  struct stat status;
  if (!disk.Open(kByPath, path, TOpen::kReadFollowing, fd).Ok() ||
      !disk.Status(fd.get(), "", false, status).Ok() || !S_ISREG(status.st_mode))
    return {};
  TJpegHeader header;
  size_t want = 64 * 1024;
  bool at_end = false;
  while (true) {
    if (!at_end && head.size() < want) {
      const size_t asked = want - head.size();
      const size_t before = head.size();
      at_end = !disk.Read(fd.get(), asked, head).Ok() || head.size() - before < asked;
    }
    header = ParseJpegHeader(head);
    if (!header.truncated || at_end || want >= max_bytes) break;
    want = std::min(max_bytes, want * 4);
  }
  if (header.valid) head.resize(header.head_size);
  return header;
}

bool IsWithinDecodeLimits(const TJpegHeader& header, std::string_view bytes) {
  if (!header.valid || header.width > kMaxImageSide || header.height > kMaxImageSide) return false;
  if (!header.progressive) return true;
  if (static_cast<uint64_t>(header.width) * header.height > kMaxProgressivePixels) return false;
  return CountJpegScans(bytes, kMaxProgressiveScans) <= kMaxProgressiveScans;
}

}  // namespace vistrel
