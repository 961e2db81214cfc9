#include "support/output_file.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vistrel {

namespace {

constexpr size_t kWriteBuffer = 256 * 1024;

}  // namespace

std::string OutputErrorMessage(const std::string& path) {
  return "Die Datei " + path + " konnte nicht geschrieben werden!";
}

TOutputFile::TOutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

TOutputFile::~TOutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

TOutputFile::TOutputFile(TOutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      buffer_(std::move(other.buffer_)),
      size_(std::exchange(other.size_, 0)) {}

TOutputFile& TOutputFile::operator=(TOutputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    buffer_ = std::move(other.buffer_);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void TOutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) throw EOutputError(OutputErrorMessage(path_));
  buffer_.append(bytes);
  size_ += bytes.size();
  if (buffer_.size() >= kWriteBuffer) Flush();
}

void TOutputFile::Flush() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      buffer_.clear();
      throw EOutputError(OutputErrorMessage(path_));
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

void TOutputFile::Close() {
  if (fd_ < 0) return;
  Flush();
  int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) throw EOutputError(OutputErrorMessage(path_));
}

}  // namespace vistrel
