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

// The candidate for number `n` (0 for the unnumbered name).
std::string Candidate(const std::string& directory, const std::string& pattern,
                      const std::string& old_name, const std::string& extension, uint64_t n) {
  std::string candidate;
  if (n == 0) {
    candidate = directory + pattern + extension;
  } else {
    std::string own_ext = ExtractFileExt(pattern);
    if (!extension.empty() || own_ext.empty())
      candidate = directory + pattern + std::to_string(n) + extension;
    else
      candidate = directory + pattern.substr(0, pattern.size() - own_ext.size()) +
                  std::to_string(n) + own_ext;
  }
  ReplaceTextIgnoreCase(candidate, kOldPlaceholder, old_name);
  return candidate;
}

}  // namespace

std::string ExtractFileExt(std::string_view path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string_view::npos) return {};
  if (slash != std::string_view::npos && dot < slash) return {};
  return std::string(path.substr(dot));
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
  std::string key = directory;
  for (const std::string* part : {&pattern, &old_name, &extension}) {
    key.push_back('\0');
    key += *part;
  }
  auto found = next_number_.find(key);
  uint64_t n = 2;
  if (found == next_number_.end()) {
    std::string candidate = Candidate(directory, pattern, old_name, extension, 0);
    if (!Taken(candidate)) {
      chosen_.insert(candidate);
      next_number_.emplace(std::move(key), 2);
      return candidate;
    }
  } else {
    n = found->second;
  }
  std::string candidate;
  while (Taken(candidate = Candidate(directory, pattern, old_name, extension, n))) ++n;
  chosen_.insert(candidate);
  next_number_[key] = n + 1;
  return candidate;
}

}  // namespace vistrel
