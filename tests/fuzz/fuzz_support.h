// Shared by the fuzz targets: the entry point every target defines, and what several need.
//
// Each target is one source file defining LLVMFuzzerTestOneInput(). Built with libFuzzer it is
// a fuzzer (scripts/fuzz.sh); built with replay_main.cpp it is a test of the normal suite that
// feeds it every file of its seed corpus and of its past findings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "template/page_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace vistrel::fuzz {

// The input as text.
inline std::string_view Text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at each occurrence of `separator` into at most `parts` pieces (the last one
// takes the rest); missing pieces are empty.
std::vector<std::string> Split(std::string_view input, std::string_view separator, size_t parts);

// Stops the program (a finding) when `condition` does not hold.
inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// A page folder that keeps nothing: names are checked and counted, pages are written to
// /dev/null, so a fuzzer can write pages quickly.
class TDiscardingPageFolder : public TPageFolder {
 public:
  const std::string& Directory() const override { return directory_; }
  TResult Create(const std::string& pattern, const std::string& old_name,
                 const std::string& extension, std::string& path) override;
  TOutputFile OpenCreated(const std::string& path) override;
  void Finish(TOutputFile& file) override { file.Close(); }

 private:
  std::string directory_ = "/nonexistent-vistrel-gallery/";
  unsigned long counter_ = 0;
};

}  // namespace vistrel::fuzz
