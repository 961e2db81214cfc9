// Helpers shared by the tests: temporary folders and small file utilities.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vistrel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Path() ends with "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// Writes `contents` to `path`, creating missing parent folders.
void WriteFile(const std::string& path, std::string_view contents);
// The contents of `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The names in `folder`, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& folder);

}  // namespace vistrel::testing
