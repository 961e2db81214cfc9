// The INI reader and loading a skin from a folder: the input is cut at lines "#--#" into the
// skin file and its three tables, written into a folder of the fuzzer, and loaded as a skin and
// as the skin catalogue of that folder.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "fuzz_support.h"
#include "csv/skin.h"
#include "support/disk.h"
#include "support/ini_file.h"
#include "support/user_messages.h"

namespace vistrel::fuzz {
namespace {

// A folder of this process, removed when it ends.
struct TScratch {
  TScratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern + "/";
  }
  ~TScratch() {
    std::error_code error;
    std::filesystem::remove_all(path, error);
  }
  std::string path;
};

void Write(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

}  // namespace
}  // namespace vistrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  static fuzz::TScratch scratch;
  const std::vector<std::string> parts = fuzz::Split(fuzz::Text(data, size), "\n#--#\n", 4);
  const TIniFile ini = TIniFile::FromText(parts[0]);
  (void)ini.ReadString("General", "SkinName", "");
  (void)ini.ReadString("CSV", "HTMLPatterns", "");
  if (scratch.path.empty()) return 0;
  fuzz::Write(scratch.path + "skin.vsk", parts[0]);
  fuzz::Write(scratch.path + "patterns.csv", parts[1]);
  fuzz::Write(scratch.path + "values.csv", parts[2]);
  fuzz::Write(scratch.path + "variants.csv", parts[3]);
  RecordedMessages messages;
  TVTLSkin skin(SystemDisk(), scratch.path, "skin.vsk", messages);
  fuzz::Require(skin.Valid == skin.ErrorMessage.empty());
  (void)skin.PreviewPath(SystemDisk());
  TVTLSkinList catalogue;
  catalogue.ScanFolder(SystemDisk(), scratch.path, messages);
  return 0;
}
