#include "support/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vistrel {

namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

}  // namespace

std::string OutputFailureText(const std::string& path, const std::string& reason) {
  return "Die Datei " + path + " konnte nicht geschrieben werden" +
         (reason.empty() ? "" : " (" + reason + ")");
}

std::string OutputErrorMessage(const std::string& path, const std::string& reason) {
  return OutputFailureText(path, reason) + "!";
}

void TOutputFile::Fail(int error) const { throw EOutputError(path_, SystemErrorText(error)); }

void TOutputFile::Write(std::string_view bytes) {
  if (fd_.get() < 0) throw EOutputError(path_, "");
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
  const int error = errno;
  buffer_.clear();  // kept for the next pieces, also after a failure
  if (!written) Fail(error);
}

void TOutputFile::WriteOut(std::string_view bytes) {
  if (!WriteAll(fd_.get(), bytes)) Fail(errno);
}

void TOutputFile::Close() {
  if (fd_.get() < 0) return;
  Flush();
  if (::close(fd_.release()) != 0) Fail(errno);
}

}  // namespace vistrel
