// File names of a gallery: which files may enter the image list, and how every generated file
// gets a name that no existing file has.
//
// A name pattern may hold "%old%" (any letter case), which stands for the image's own name
// without folder and extension. When the resulting file exists, a number counting from 2 goes
// in front of the extension. TUniqueNamer does the same for a whole run: a name it handed out
// counts as taken even before its file is written, and a number once found taken is not tested
// again (within a run files are only added), so naming stays linear in the number of files.
//
// The free functions have no state; whether a name is taken is asked of the disk they are
// given. A TUniqueNamer belongs to one run and one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vistrel {

class TDisk;

// The extension of a name or path: from its last dot, the dot included; empty when there is no
// dot after the last path separator.
std::string ExtractFileExt(std::string_view path);
// The name or path without its extension (see ExtractFileExt).
std::string RemoveFileExt(std::string_view path);
// The name without its folder (everything after the last "/").
std::string ExtractFileName(std::string_view path);
// The folder of a path with its trailing "/" (everything up to and including the last "/").
std::string ExtractFilePath(std::string_view path);
// `folder` with a trailing "/" added when it lacks one (an empty folder stays empty).
std::string IncludeTrailingPathDelimiter(std::string_view folder);

// True when the extension, upper-cased, is ".JPG" or ".JPEG".
bool IsJpegFileName(std::string_view name);
// The extension of the scaled copies of the photo `name`, which are JPEGs whatever the photo
// is: its own extension when that is a JPEG's (".JPG", ".jpeg"), else ".jpg".
std::string VariantExtension(std::string_view name);

// Replaces every occurrence of `pattern` (compared ignoring case) by `replacement`. The search
// goes on after each inserted replacement, so it ends also when the replacement itself holds
// the pattern.
void ReplaceTextIgnoreCase(std::string& text, std::string_view pattern,
                           std::string_view replacement);

// Full path of a file that does not exist yet: `directory` (ending in "/") + `pattern`
// (empty means "%old%") + `extension`, with "%old%" in the pattern and extension replaced by
// `old_name`, numbered 2, 3, ... before the extension while an entry of that name exists. An
// entry of any kind (file, folder, link, also a dangling one) counts as existing. Control
// characters (codes 1 to 31) of the name become "_". Numbers end at 100000: past it, and for a
// name holding a NUL, the result is empty. The file is not created.
std::string MakeUniqueFileName(TDisk& disk, const std::string& directory,
                               const std::string& pattern, const std::string& old_name,
                               const std::string& extension);

class TUniqueNamer {
 public:
  // Asks `disk`, which must outlive the namer, which names are taken.
  explicit TUniqueNamer(TDisk& disk) : disk_(disk) {}

  // As MakeUniqueFileName(), and the returned name counts as taken from now on (an empty
  // result is no name).
  std::string Make(const std::string& directory, const std::string& pattern,
                   const std::string& old_name, const std::string& extension);
  // An existing entry at a full path for which `replaceable` says true counts as free: its
  // name is handed out as if nothing were there (the caller replaces the file).
  void SetReplaceable(std::function<bool(const std::string& path)> replaceable) {
    replaceable_ = std::move(replaceable);
  }

 private:
  bool Taken(const std::string& path) const;

  TDisk& disk_;
  // The names handed out, by a hash of the path: a page or copy per image costs a number, not
  // another copy of its path. (Two paths of one hash would only make the second one numbered.)
  std::unordered_set<uint64_t> chosen_;
  // For each kind of name that needed a number, the number to try next: every smaller one is
  // taken.
  std::unordered_map<std::string, uint64_t> next_number_;
  std::function<bool(const std::string&)> replaceable_;
};

}  // namespace vistrel
