#include "model/file_naming.h"

#include <sys/stat.h>

#include "support/text.h"

namespace vistrel {

namespace {

constexpr std::string_view kOldPlaceholder = "%old%";

bool EntryExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The names a pattern gives: the unnumbered one is prefix + suffix, the one with number n is
// prefix + n + suffix. The number goes before the extension argument, or before the pattern's
// own extension when there is no extension argument. "%old%" cannot reach across the digits,
// so replacing it in both parts is the same as replacing it in the whole name.
struct TNameParts {
  std::string prefix;
  std::string suffix;
};

TNameParts SplitName(const std::string& directory, const std::string& pattern,
                     const std::string& old_name, const std::string& extension) {
  TNameParts parts;
  const std::string own_ext = ExtractFileExt(pattern);
  if (!extension.empty() || own_ext.empty()) {
    parts.prefix = directory + pattern;
    parts.suffix = extension;
  } else {
    parts.prefix = directory + pattern.substr(0, pattern.size() - own_ext.size());
    parts.suffix = own_ext;
  }
  ReplaceTextIgnoreCase(parts.prefix, kOldPlaceholder, old_name);
  ReplaceTextIgnoreCase(parts.suffix, kOldPlaceholder, old_name);
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

void ReplaceTextIgnoreCase(std::string& text, std::string_view pattern,
                           std::string_view replacement) {
  if (pattern.empty()) return;
  size_t from = 0;
  while (true) {
    size_t pos = FindIgnoreCase(text, pattern, from);
    if (pos == std::string::npos) return;
    text.replace(pos, pattern.size(), replacement);
    from = pos + replacement.size();
  }
}

std::string MakeUniqueFileName(const std::string& directory, const std::string& pattern,
                               const std::string& old_name, const std::string& extension) {
  TUniqueNamer namer;
  return namer.Make(directory, pattern, old_name, extension);
}

bool TUniqueNamer::Taken(const std::string& path) const {
  return chosen_.count(path) > 0 || EntryExists(path);
}

std::string TUniqueNamer::Make(const std::string& directory, const std::string& pattern_in,
                               const std::string& old_name, const std::string& extension) {
  const std::string pattern = pattern_in.empty() ? std::string(kOldPlaceholder) : pattern_in;
  const TNameParts parts = SplitName(directory, pattern, old_name, extension);
  std::string key = parts.prefix;
  key.push_back('\0');
  key += parts.suffix;
  auto found = next_number_.find(key);
  uint64_t n = 2;
  if (found == next_number_.end()) {
    std::string candidate = parts.prefix + parts.suffix;
    if (!Taken(candidate)) {
      chosen_.insert(candidate);
      next_number_.emplace(std::move(key), 2);
      return candidate;
    }
  } else {
    n = found->second;
  }
  std::string candidate;
  while (Taken(candidate = parts.prefix + std::to_string(n) + parts.suffix)) ++n;
  chosen_.insert(candidate);
  next_number_[key] = n + 1;
  return candidate;
}

}  // namespace vistrel
