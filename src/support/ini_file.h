// A small reader of INI files (skin files).
//
// Lines holding a section name in square brackets, and "key=value" lines below them. Section
// and key names compare without regard to letter case; blanks around names and values are
// dropped, and a value in double quotes loses them. Lines starting with ";" or "#" are comments.
// When a key appears twice in a section, the first one counts. A value is at most 2047
// characters long; a longer one is cut. A file that cannot be read reads as a file without keys.
//
// An object holds the parsed file; reading it is safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace vistrel {

class TDisk;

class TIniFile {
 public:
  static constexpr size_t kMaxValueLength = 2047;

  // Reads the regular file `path` (a skin file: at most kMaxSkinFileSize bytes) from `disk`.
  TIniFile(TDisk& disk, const std::string& path);
  // Parses INI text.
  static TIniFile FromText(std::string_view text);

  // The value of `key` in `section`, or `default_value` when there is none.
  std::string ReadString(std::string_view section, std::string_view key,
                         const std::string& default_value) const;

 private:
  TIniFile() = default;
  void Parse(std::string_view text);

  std::unordered_map<std::string, std::string> values_;  // "SECTION\0KEY" in capitals -> value
};

}  // namespace vistrel
