#include "fuzz_support.h"

#include "generation/output_folder.h"
#include "support/disk.h"

namespace vistrel::fuzz {

std::vector<std::string> Split(std::string_view input, std::string_view separator, size_t parts) {
  std::vector<std::string> pieces;
  while (pieces.size() + 1 < parts) {
    const size_t at = input.find(separator);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(input.substr(0, at));
    input.remove_prefix(at + separator.size());
  }
  pieces.emplace_back(input);
  pieces.resize(parts);
  return pieces;
}

TPageFolder::TResult TDiscardingPageFolder::Create(const std::string& pattern,
                                                   const std::string& old_name,
                                                   const std::string& extension,
                                                   std::string& path) {
  if (!IsNameInsideFolder(pattern, old_name, extension)) return TResult::kInvalidName;
  path = directory_ + std::to_string(++counter_) + ".html";
  return TResult::kCreated;
}

TOutputFile TDiscardingPageFolder::OpenCreated(const std::string& path) {
  TFd fd;
  if (!SystemDisk().Open(kByPath, "/dev/null", TOpen::kWrite, fd).Ok()) return TOutputFile();
  return TOutputFile(SystemDisk(), std::move(fd), path);
}

}  // namespace vistrel::fuzz
