#include "support/text.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <random>

namespace vistrel {

namespace {

// In UTF-8, U+00E0..U+00FE are 0xC3 followed by 0xA0..0xBE; their capitals U+00C0..U+00DE are
// 0xC3 followed by 0x80..0x9E. U+00F7 (division sign) has no capital.
constexpr unsigned char kLatin1Lead = 0xC3;

bool IsFoldableLatin1Tail(unsigned char c) { return c >= 0xA0 && c <= 0xBE && c != 0xB7; }

}  // namespace

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (size_t i = 0; i < result.size(); ++i) {
    auto c = static_cast<unsigned char>(result[i]);
    if (c >= 'a' && c <= 'z') {
      result[i] = static_cast<char>(c - 32);
    } else if (c == kLatin1Lead && i + 1 < result.size()) {
      auto tail = static_cast<unsigned char>(result[i + 1]);
      if (IsFoldableLatin1Tail(tail)) result[i + 1] = static_cast<char>(tail - 0x20);
      ++i;  // never look at the second byte of the pair as a character of its own
    }
  }
  return result;
}

bool SameTextIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Walks both texts as UpperCase() does, so that a two-byte letter is folded as a pair.
  for (size_t i = 0; i < a.size(); ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (ca == kLatin1Lead || cb == kLatin1Lead) {
      if (ca != cb) return false;
      if (i + 1 < a.size()) {
        auto ta = static_cast<unsigned char>(a[i + 1]);
        auto tb = static_cast<unsigned char>(b[i + 1]);
        if (IsFoldableLatin1Tail(ta)) ta = static_cast<unsigned char>(ta - 0x20);
        if (IsFoldableLatin1Tail(tb)) tb = static_cast<unsigned char>(tb - 0x20);
        if (ta != tb) return false;
        ++i;
      }
      continue;
    }
    if (ca >= 'a' && ca <= 'z') ca = static_cast<unsigned char>(ca - 32);
    if (cb >= 'a' && cb <= 'z') cb = static_cast<unsigned char>(cb - 32);
    if (ca != cb) return false;
  }
  return true;
}

size_t FindIgnoreCase(std::string_view text, std::string_view pattern, size_t from) {
  if (from > text.size()) return std::string_view::npos;
  return UpperCase(text).find(UpperCase(pattern), from);
}

std::optional<int32_t> ParseInt32(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  }
  if (i >= text.size()) return std::nullopt;
  // Hexadecimal numbers may use all 32 bits (as "$FFFFFFFF" for -1); decimal ones must fit.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    int digit = HexDigitValue(text[i]);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + static_cast<uint64_t>(digit);
    if (value > limit) return std::nullopt;
  }
  int64_t signed_value =
      base == 16 ? static_cast<int64_t>(static_cast<int32_t>(value)) : static_cast<int64_t>(value);
  if (negative) signed_value = -signed_value;
  if (signed_value < std::numeric_limits<int32_t>::min() ||
      signed_value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(signed_value);
}

int32_t ParseInt32Or(std::string_view text, int32_t fallback) {
  return ParseInt32(text).value_or(fallback);
}

bool ForEachTextLine(std::string_view contents,
                     const std::function<bool(const std::string& line)>& visit) {
  std::string line;
  bool pending = false;  // true when `line` holds a started line
  for (size_t i = 0; i < contents.size(); ++i) {
    const char c = contents[i];
    if (c == '\x1A') break;
    if (c == '\n') {
      if (!visit(line)) return false;
      line.clear();
      pending = false;
    } else if (c == '\r') {
      pending = true;  // a lone CR is dropped; CR LF ends the line at the LF
    } else {
      // The rest of the line up to its end is copied in one go.
      const size_t stop = std::min(contents.find_first_of("\r\n\x1A", i), contents.size());
      line.append(contents.substr(i, stop - i));
      i = stop - 1;
      pending = true;
    }
  }
  return !pending || visit(line);
}

std::vector<std::string> SplitTextLines(std::string_view contents) {
  std::vector<std::string> lines;
  ForEachTextLine(contents, [&](const std::string& line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

std::string_view Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string PrintableName(std::string_view name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string result;
  result.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20) {
      result.push_back(c);
    } else {
      result += "\\x";
      result.push_back(kHex[byte >> 4]);
      result.push_back(kHex[byte & 15]);
    }
  }
  return result;
}

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint32_t code = 0;
  uint32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(pos + i) & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string LegacyTextToUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  // Windows-1252 at 0x80..0x9F; 0 where it has no character.
  static constexpr uint16_t kWindows1252[32] = {
      0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string result;
  result.reserve(text.size() + text.size() / 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const uint32_t code = byte >= 0x80 && byte < 0xA0 ? kWindows1252[byte - 0x80] : byte;
    if (code != 0 || byte == 0) AppendUtf8(result, code);
  }
  return result;
}

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string result;
  for (size_t pos = 0; pos + 1 < bytes.size(); pos += 2) {
    const uint32_t unit = static_cast<unsigned char>(bytes[pos]) |
                          (static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 1])) << 8);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && pos + 3 < bytes.size()) {
      const uint32_t low = static_cast<unsigned char>(bytes[pos + 2]) |
                           (static_cast<uint32_t>(static_cast<unsigned char>(bytes[pos + 3])) << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(result, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        pos += 2;
        continue;
      }
    }
    if (unit < 0xD800 || unit > 0xDFFF) AppendUtf8(result, unit);
  }
  return result;
}

std::string RandomName(int length) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string name;
  for (int i = 0; i < length; ++i) name += kLetters[pick(random)];
  return name;
}

}  // namespace vistrel
