#include "support/output_file.h"

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
  checksum_.Update(bytes);
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
  const TDiskStatus written = disk_->Write(fd_.get(), buffer_);
  buffer_.clear();  // kept for the next pieces, also after a failure
  if (!written.Ok()) Fail(written.Error());
}

void TOutputFile::WriteOut(std::string_view bytes) {
  if (const TDiskStatus written = disk_->Write(fd_.get(), bytes); !written.Ok())
    Fail(written.Error());
}

void TOutputFile::Close() {
  if (fd_.get() < 0) return;
  Flush();
  if (const TDiskStatus closed = disk_->Close(fd_); !closed.Ok()) Fail(closed.Error());
}

}  // namespace vistrel
