// File naming: the input's first two bytes give the lengths of a name pattern and an image
// name; the rest is the extension. The names a run would choose stay inside the output folder,
// hold no NUL or control character, and are chosen in bounded time.
#include "fuzz_support.h"
#include "generation/output_folder.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vistrel;
  if (size < 2) return 0;
  std::string_view rest = fuzz::Text(data + 2, size - 2);
  const std::string pattern(rest.substr(0, data[0]));
  rest.remove_prefix(std::min<size_t>(data[0], rest.size()));
  const std::string old_name(rest.substr(0, data[1]));
  rest.remove_prefix(std::min<size_t>(data[1], rest.size()));
  const std::string extension(rest);

  const std::string folder = "/nonexistent-vistrel-gallery/";
  TUniqueNamer namer(SystemDisk());
  const std::string first = namer.Make(folder, pattern, old_name, extension);
  const std::string second = namer.Make(folder, pattern, old_name, extension);
  fuzz::Require(first.empty() || first != second);
  for (const std::string& name : {first, second}) {
    if (name.empty()) continue;
    fuzz::Require(name.compare(0, folder.size(), folder) == 0);
    for (const char c : name) fuzz::Require(static_cast<unsigned char>(c) >= 0x20);
  }
  if (IsNameInsideFolder(pattern, old_name, extension)) fuzz::Require(!first.empty());

  std::string replaced = pattern;
  ReplaceTextIgnoreCase(replaced, "%old%", old_name);
  (void)IsJpegFileName(old_name + extension);
  (void)RemoveFileExt(pattern);
  (void)PrintableName(pattern);
  return 0;
}
