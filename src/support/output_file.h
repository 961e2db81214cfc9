// A generated file open for writing.
//
// Gallery files (pages, image copies) are written through TOutputFile: a buffered writer over
// a file that the output folder of a run opened, writing through the run's disk. Every failure to
// write or close throws EOutputError naming the file and the system's reason, so a page that could
// not be written completely is never taken for a finished one.
//
// An object belongs to one thread at a time; it closes its descriptor when it goes.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "support/content_hash.h"
#include "support/disk.h"

namespace vistrel {

// "Die Datei <path> konnte nicht geschrieben werden", followed by " (<reason>)" when there is a
// reason; no closing punctuation, so it can stand in a longer line.
std::string OutputFailureText(const std::string& path, const std::string& reason);
// OutputFailureText() + "!": the message of an EOutputError.
std::string OutputErrorMessage(const std::string& path, const std::string& reason = {});

// A generated file that cannot be created or written: which file, and why (the system's
// reason in German, see SystemErrorText(), or empty when there is none to give).
class EOutputError : public std::runtime_error {
 public:
  EOutputError(std::string path, std::string reason)
      : std::runtime_error(OutputErrorMessage(path, reason)),
        path_(std::move(path)),
        reason_(std::move(reason)) {}
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

class TOutputFile {
 public:
  TOutputFile() = default;
  // Takes `fd`, opened for writing the file at `path`, and writes it through `disk`, which
  // must outlive the object.
  TOutputFile(TDisk& disk, TFd fd, std::string path)
      : disk_(&disk), fd_(std::move(fd)), path_(std::move(path)) {}

  bool IsOpen() const { return fd_.get() >= 0; }
  const std::string& Path() const { return path_; }
  // Bytes written so far (buffered ones included), and their Hash64().
  uint64_t Size() const { return size_; }
  uint64_t Checksum() const { return checksum_.Digest(); }
  // Small pieces (the text of a page) are gathered; a large one (a picture) goes to the file
  // as it is.
  void Write(std::string_view bytes);
  // Writes what is buffered and closes the file; throws EOutputError when that fails.
  void Close();

 private:
  void Flush();
  // Throws EOutputError for the system's `error` (an errno value).
  [[noreturn]] void Fail(int error) const;
  void WriteOut(std::string_view bytes);

  TDisk* disk_ = nullptr;
  TFd fd_;
  std::string path_;
  std::string buffer_;
  uint64_t size_ = 0;
  THash64Stream checksum_;
};

}  // namespace vistrel
