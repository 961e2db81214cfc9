#include "model/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "support/file_io.h"

namespace vistrel {

namespace {

constexpr size_t kWriteBuffer = 256 * 1024;
constexpr int kMaxCreateAttempts = 1000;

std::vector<std::string_view> SplitPath(std::string_view relative) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t slash = relative.find('/', start);
    if (slash == std::string_view::npos) slash = relative.size();
    parts.push_back(relative.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

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
      buffer_(std::move(other.buffer_)) {}

TOutputFile& TOutputFile::operator=(TOutputFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

void TOutputFile::Write(std::string_view bytes) {
  if (fd_ < 0) throw EOutputError(OutputErrorMessage(path_));
  buffer_.append(bytes);
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

TOutputFolder::TOutputFolder(std::string directory) : directory_(std::move(directory)) {
  if (!directory_.empty() && directory_.back() != '/') directory_.push_back('/');
}

TOutputFolder::~TOutputFolder() {
  if (root_fd_ >= 0) ::close(root_fd_);
}

int TOutputFolder::RootFd() const {
  std::call_once(root_once_, [this] {
    root_fd_ = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  });
  return root_fd_;
}

bool TOutputFolder::IsInside(std::string_view relative) {
  if (relative.empty() || relative.front() == '/') return false;
  int depth = 0;
  const auto parts = SplitPath(relative);
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    const bool last = i + 1 == parts.size();
    if (part == "..") {
      if (last || --depth < 0) return false;
    } else if (part.empty() || part == ".") {
      if (last) return false;
    } else {
      ++depth;
    }
  }
  return true;
}

int TOutputFolder::OpenParent(std::string_view relative, bool create, std::string& leaf,
                              TFd& opened) const {
  const auto parts = SplitPath(relative);
  int fd = RootFd();
  for (size_t i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    const std::string part(parts[i]);
    if (create && part != "..") ::mkdirat(fd, part.c_str(), 0755);
    opened = TFd(::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    fd = opened.get();
  }
  leaf = std::string(parts.back());
  return fd;
}

bool TOutputFolder::IsValidName(const std::string& pattern, const std::string& old_name,
                                const std::string& extension) const {
  if (!pattern.empty() && pattern.front() == '/') return false;
  std::string name = directory_ + (pattern.empty() ? "%old%" : pattern) + extension;
  ReplaceTextIgnoreCase(name, "%old%", old_name);
  return name.compare(0, directory_.size(), directory_) == 0 &&
         IsInside(std::string_view(name).substr(directory_.size()));
}

TOutputFolder::TResult TOutputFolder::Create(const std::string& pattern,
                                             const std::string& old_name,
                                             const std::string& extension, std::string& path) {
  // A number never adds a folder or "..", so the unnumbered name decides.
  if (!IsValidName(pattern, old_name, extension)) return TResult::kInvalidName;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    path = namer_.Make(directory_, pattern, old_name, extension);
    std::string leaf;
    TFd opened;
    const int parent =
        OpenParent(std::string_view(path).substr(directory_.size()), true, leaf, opened);
    if (parent < 0) return TResult::kFailed;
    TFd file(
        ::openat(parent, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (file.get() < 0) {
      if (errno == EEXIST) continue;  // made by someone else meanwhile: the namer knows it now
      return TResult::kFailed;
    }
    struct stat st;
    if (::fstat(file.get(), &st) != 0) return TResult::kFailed;
    std::lock_guard lock(mutex_);
    created_[path] = {st.st_dev, st.st_ino};
    return TResult::kCreated;
  }
  return TResult::kFailed;
}

TOutputFile TOutputFolder::OpenCreated(const std::string& path) const {
  std::pair<dev_t, ino_t> identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) throw EOutputError(OutputErrorMessage(path));
    identity = found->second;
  }
  std::string leaf;
  TFd opened;
  const int parent =
      OpenParent(std::string_view(path).substr(directory_.size()), false, leaf, opened);
  if (parent < 0) throw EOutputError(OutputErrorMessage(path));
  TFd file(::openat(parent, leaf.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || st.st_dev != identity.first ||
      st.st_ino != identity.second || !S_ISREG(st.st_mode) ||
      (st.st_size != 0 && ::ftruncate(file.get(), 0) != 0))
    throw EOutputError(OutputErrorMessage(path));
  return TOutputFile(file.release(), path);
}

}  // namespace vistrel
