#include "model/file_naming.h"

#include "support/disk.h"
#include "support/paths.h"
#include "support/text.h"

namespace vistrel {

namespace {

constexpr std::string_view kOldPlaceholder = "%old%";

// A number above this is never tried: a run cannot have made that many files of one name, so
// the names must be taken by something else (or the name cannot be tested at all).
constexpr uint64_t kMaxNumber = 100000;

// Control characters never reach a generated name: each becomes "_".
std::string WithoutControlCharacters(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 && c != '\0') c = '_';
  return text;
}

// The names a pattern gives: the unnumbered one is prefix + suffix, the one with number n is
// prefix + n + suffix. The number goes before the extension argument, or before the pattern's
// own extension when there is no extension argument. "%old%" cannot reach across the digits,
// so replacing it in both parts is the same as replacing it in the whole name. The folder is
// the user's, not part of the pattern: it is taken as it is.
struct TNameParts {
  std::string prefix;
  std::string suffix;
};

TNameParts SplitName(const std::string& directory, const std::string& pattern,
                     const std::string& old_name, const std::string& extension) {
  TNameParts parts;
  const std::string own_ext = ExtractFileExt(pattern);
  if (!extension.empty() || own_ext.empty()) {
    parts.prefix = pattern;
    parts.suffix = extension;
  } else {
    parts.prefix = pattern.substr(0, pattern.size() - own_ext.size());
    parts.suffix = own_ext;
  }
  ReplaceTextIgnoreCase(parts.prefix, kOldPlaceholder, old_name);
  ReplaceTextIgnoreCase(parts.suffix, kOldPlaceholder, old_name);
  parts.prefix = directory + WithoutControlCharacters(std::move(parts.prefix));
  parts.suffix = WithoutControlCharacters(std::move(parts.suffix));
  return parts;
}

}  // namespace

std::string ExtractFileExt(std::string_view path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string_view::npos) return {};
  if (slash != std::string_view::npos && dot < slash) return {};
  return std::string(path.substr(dot));
}

std::string RemoveFileExt(std::string_view path) {
  return std::string(path.substr(0, path.size() - ExtractFileExt(path).size()));
}

std::string ExtractFileName(std::string_view path) {
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFilePath(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string IncludeTrailingPathDelimiter(std::string_view folder) {
  std::string result(folder);
  if (!result.empty() && result.back() != '/') result.push_back('/');
  return result;
}

bool IsJpegFileName(std::string_view name) {
  std::string ext = UpperCase(ExtractFileExt(name));
  return ext == ".JPG" || ext == ".JPEG";
}

std::string VariantExtension(std::string_view name) {
  return IsJpegFileName(name) ? ExtractFileExt(name) : ".jpg";
}

void ReplaceTextIgnoreCase(std::string& text, std::string_view pattern,
                           std::string_view replacement) {
  if (pattern.empty()) return;
  // One pass over the text folded once: a replacement is never searched again, and the text
  // is copied once, however many times the pattern occurs.
  const std::string folded = UpperCase(text);
  const std::string folded_pattern = UpperCase(pattern);
  size_t pos = folded.find(folded_pattern);
  if (pos == std::string::npos) return;
  std::string result;
  result.reserve(text.size());
  size_t from = 0;
  while (pos != std::string::npos) {
    result.append(text, from, pos - from);
    result.append(replacement);
    from = pos + pattern.size();
    pos = folded.find(folded_pattern, from);
  }
  result.append(text, from, std::string::npos);
  text = std::move(result);
}

std::string MakeUniqueFileName(TDisk& disk, const std::string& directory,
                               const std::string& pattern, const std::string& old_name,
                               const std::string& extension) {
  TUniqueNamer namer(disk);
  return namer.Make(directory, pattern, old_name, extension);
}

bool TUniqueNamer::Taken(const std::string& path) const {
  if (chosen_.count(std::hash<std::string>{}(path)) > 0) return true;
  return disk_.Exists(path) && !(replaceable_ && replaceable_(path));
}

std::string TUniqueNamer::Make(const std::string& directory, const std::string& pattern_in,
                               const std::string& old_name, const std::string& extension) {
  const std::string pattern = pattern_in.empty() ? std::string(kOldPlaceholder) : pattern_in;
  const TNameParts parts = SplitName(directory, pattern, old_name, extension);
  if (!IsSystemPath(parts.prefix) || !IsSystemPath(parts.suffix)) return {};
  std::string key = parts.prefix;
  key.push_back('\0');
  key += parts.suffix;
  auto found = next_number_.find(key);
  uint64_t n = 2;
  if (found == next_number_.end()) {
    std::string candidate = parts.prefix + parts.suffix;
    // The first name of a kind needs no number; the number to try next is kept only for the
    // kinds that needed one, which keeps a page per image to one entry.
    if (!Taken(candidate)) {
      chosen_.insert(std::hash<std::string>{}(candidate));
      return candidate;
    }
  } else {
    n = found->second;
  }
  std::string candidate;
  for (;; ++n) {
    if (n > kMaxNumber) return {};
    candidate = parts.prefix + std::to_string(n) + parts.suffix;
    if (!Taken(candidate)) break;
  }
  chosen_.insert(std::hash<std::string>{}(candidate));
  next_number_[key] = n + 1;
  return candidate;
}

}  // namespace vistrel
