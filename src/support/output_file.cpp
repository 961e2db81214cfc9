#include "support/output_file.h"

#include <unistd.h>

#include <utility>

namespace vistrel {

namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

}  // namespace

std::string OutputErrorMessage(const std::string& path) {
  return "Die Datei " + path + " konnte nicht geschrieben werden!";
}

void TOutputFile::Write(std::string_view bytes) {
  if (fd_.get() < 0) throw EOutputError(OutputErrorMessage(path_));
  size_ += bytes.size();
  if (buffer_.size() + bytes.size() < kWriteBuffer) {
    buffer_.append(bytes);
    return;
  }
  Flush();
  if (bytes.size() >= kWriteBuffer)
    WriteOut(bytes);
  else
    buffer_.append(bytes);
}

void TOutputFile::Flush() {
  const bool written = WriteAll(fd_.get(), buffer_);
  buffer_.clear();  // kept for the next pieces, also after a failure
  if (!written) throw EOutputError(OutputErrorMessage(path_));
}

void TOutputFile::WriteOut(std::string_view bytes) {
  if (!WriteAll(fd_.get(), bytes)) throw EOutputError(OutputErrorMessage(path_));
}

void TOutputFile::Close() {
  if (fd_.get() < 0) return;
  Flush();
  if (::close(fd_.release()) != 0) throw EOutputError(OutputErrorMessage(path_));
}

}  // namespace vistrel
