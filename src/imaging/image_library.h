// Start and end of the image libraries.
//
// One TImageLibrary lives for the whole run of a program, created before any image is touched
// (before any window exists) and destroyed at the end. It starts libvips with the operations
// that are unsafe for untrusted files blocked and its operation cache kept small, limits the C
// library's memory pools to one (so resident memory stays level however many photos a run
// decodes), and readies exiv2 (quiet, and its XMP parser set up before other threads may use it).
//
// Create it on the main thread; exactly one may exist at a time.
#pragma once

namespace vistrel {

class TImageLibrary {
 public:
  // `program_name` is argv[0]; libvips uses it to find its own files.
  explicit TImageLibrary(const char* program_name);
  ~TImageLibrary();
  TImageLibrary(const TImageLibrary&) = delete;
  TImageLibrary& operator=(const TImageLibrary&) = delete;
};

}  // namespace vistrel
