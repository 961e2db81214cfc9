#include "support/ini_file.h"

#include "support/disk.h"
#include "support/text.h"

namespace vistrel {

namespace {

std::string Key(std::string_view section, std::string_view key) {
  std::string result = UpperCase(Trim(section));
  result.push_back('\0');
  result += UpperCase(Trim(key));
  return result;
}

}  // namespace

TIniFile::TIniFile(TDisk& disk, const std::string& path) {
  std::string contents;
  if (disk.ReadFile(path, contents, kMaxSkinFileSize).Ok()) Parse(contents);
}

TIniFile TIniFile::FromText(std::string_view text) {
  TIniFile file;
  file.Parse(text);
  return file;
}

void TIniFile::Parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  std::string section;
  for (const std::string& raw : SplitTextLines(text)) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section = std::string(
          line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    values_.emplace(Key(section, line.substr(0, equals)),
                    std::string(value.substr(0, kMaxValueLength)));
  }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 const std::string& default_value) const {
  auto found = values_.find(Key(section, key));
  return found == values_.end() ? default_value : found->second;
}

}  // namespace vistrel
