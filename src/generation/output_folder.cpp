#include "generation/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "support/file_io.h"

namespace vistrel {

namespace {

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

// `relative` stays inside the folder: not empty, not absolute, never above its start, and
// naming a file (not "." or "..") at its end.
bool IsInside(std::string_view relative) {
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

}  // namespace

bool IsNameInsideFolder(const std::string& pattern, const std::string& old_name,
                        const std::string& extension) {
  if (!pattern.empty() && pattern.front() == '/') return false;
  if (!IsSystemPath(pattern) || !IsSystemPath(old_name) || !IsSystemPath(extension)) return false;
  std::string name = (pattern.empty() ? "%old%" : pattern) + extension;
  ReplaceTextIgnoreCase(name, "%old%", old_name);
  return IsInside(name);
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

TOutputFolder::TResult TOutputFolder::Create(const std::string& pattern,
                                             const std::string& old_name,
                                             const std::string& extension, std::string& path) {
  // A number never adds a folder or "..", so the unnumbered name decides.
  if (!IsNameInsideFolder(pattern, old_name, extension)) return TResult::kInvalidName;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    path = namer_.Make(directory_, pattern, old_name, extension);
    if (path.empty()) return TResult::kFailed;
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
    created_[path] = {st.st_dev, st.st_ino, false};
    return TResult::kCreated;
  }
  return TResult::kFailed;
}

TOutputFile TOutputFolder::OpenCreated(const std::string& path) {
  TCreated identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) throw EOutputError(OutputErrorMessage(path));
    found->second.finished = false;  // written anew from its start
    identity = found->second;
  }
  std::string leaf;
  TFd opened;
  const int parent =
      OpenParent(std::string_view(path).substr(directory_.size()), false, leaf, opened);
  if (parent < 0) throw EOutputError(OutputErrorMessage(path));
  TFd file(::openat(parent, leaf.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || st.st_dev != identity.device ||
      st.st_ino != identity.inode || !S_ISREG(st.st_mode) ||
      (st.st_size != 0 && ::ftruncate(file.get(), 0) != 0))
    throw EOutputError(OutputErrorMessage(path));
  return TOutputFile(file.release(), path);
}

void TOutputFolder::Finish(TOutputFile& file) {
  const std::string path = file.Path();
  file.Close();
  std::lock_guard lock(mutex_);
  auto found = created_.find(path);
  if (found != created_.end()) found->second.finished = true;
}

bool TOutputFolder::Remove(const std::string& path) {
  TCreated identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) return false;
    identity = found->second;
    created_.erase(found);
  }
  std::string leaf;
  TFd opened;
  const int parent =
      OpenParent(std::string_view(path).substr(directory_.size()), false, leaf, opened);
  struct stat st;
  // Only the very file that was created goes; whatever took its place meanwhile stays.
  return parent >= 0 && ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         st.st_dev == identity.device && st.st_ino == identity.inode &&
         ::unlinkat(parent, leaf.c_str(), 0) == 0;
}

int TOutputFolder::RemoveUnfinished() {
  std::vector<std::string> unfinished;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [path, created] : created_)
      if (!created.finished) unfinished.push_back(path);
  }
  int removed = 0;
  for (const std::string& path : unfinished) removed += Remove(path) ? 1 : 0;
  return removed;
}

}  // namespace vistrel
