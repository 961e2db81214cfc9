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

// Errors that belong to one name, not to the folder: another name may well be made.
bool IsNameError(int error) { return error == ENAMETOOLONG || error == EINVAL || error == EILSEQ; }

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
  // A file that a dead run finished does not cost this run its plain name: it is replaced.
  namer_.SetReplaceable([this](const std::string& path) {
    return path.starts_with(directory_) && journal_.Inherits(Relative(path));
  });
}

TOutputFolder::~TOutputFolder() {
  journal_.End();  // needs the folder
  if (root_fd_ >= 0) ::close(root_fd_);
}

int TOutputFolder::RootFd() const {
  std::call_once(root_once_, [this] {
    root_fd_ = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    root_error_ = root_fd_ < 0 ? errno : 0;
  });
  return root_fd_;
}

bool TOutputFolder::BeginRun() {
  if (RootFd() < 0) {
    errno = root_error_;
    return false;
  }
  return journal_.Start(RootFd(), directory_);
}

void TOutputFolder::EndRun() {
  RemoveUnfinished();
  journal_.End();
}

int TOutputFolder::OpenParent(std::string_view relative, bool create, std::string& leaf,
                              TFd& opened, std::string* failed) const {
  const int root = RootFd();
  if (root < 0) {
    if (failed) *failed = directory_;
    errno = root_error_;
    return -1;
  }
  const int parent = OpenParentFolder(root, relative, create, leaf, opened, failed);
  if (parent < 0 && failed) {
    const int error = errno;
    *failed = directory_ + *failed;
    errno = error;
  }
  return parent;
}

int TOutputFolder::MakeFile(const std::string& path, std::string& blocker) {
  const std::string_view relative = Relative(path);
  journal_.Reserve(relative);
  std::string leaf;
  TFd opened;
  blocker.clear();
  const int parent = OpenParent(relative, true, leaf, opened, &blocker);
  int error = errno;
  if (parent >= 0) {
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    TFd file(::openat(parent, leaf.c_str(), kFlags, 0644));
    error = errno;
    if (file.get() < 0 && error == EEXIST && journal_.TakeOver(relative, parent, leaf)) {
      file = TFd(::openat(parent, leaf.c_str(), kFlags, 0644));
      error = errno;
    }
    struct stat st;
    if (file.get() >= 0) {
      if (::fstat(file.get(), &st) == 0) {
        {
          std::lock_guard lock(mutex_);
          created_[path] = {st.st_dev, st.st_ino, false};
        }
        journal_.Created(relative, st.st_dev, st.st_ino, BirthTime(file.get(), ""));
        return 0;
      }
      error = errno;
      ::unlinkat(parent, leaf.c_str(), 0);
    }
  }
  journal_.Released(relative);
  return error;
}

TOutputFolder::TResult TOutputFolder::Create(const std::string& pattern,
                                             const std::string& old_name,
                                             const std::string& extension, std::string& path) {
  // A number never adds a folder or "..", so the unnumbered name decides.
  if (!IsNameInsideFolder(pattern, old_name, extension)) return TResult::kInvalidName;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    path = namer_.Make(directory_, pattern, old_name, extension);
    if (path.empty()) break;
    std::string blocker;
    const int error = MakeFile(path, blocker);
    if (error == 0) return TResult::kCreated;
    // Made by someone else meanwhile: the namer knows it now.
    if (error == EEXIST && blocker.empty()) continue;
    if (IsNameError(error)) {
      errno = error;
      return TResult::kFailed;
    }
    throw EOutputError(
        path, blocker.empty() ? SystemErrorText(error) : EntryInTheWay(blocker, true, error));
  }
  errno = EEXIST;
  return TResult::kFailed;
}

std::string TOutputFolder::CreateNamed(const std::string& relative) {
  const std::string path = directory_ + relative;
  std::string blocker;
  if (const int error = MakeFile(path, blocker); error != 0)
    throw EOutputError(path, blocker.empty() ? EntryInTheWay(path, false, error)
                                             : EntryInTheWay(blocker, true, error));
  return path;
}

TOutputFile TOutputFolder::OpenCreated(const std::string& path) {
  TCreated identity;
  bool was_finished = false;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) throw EOutputError(path, "");
    was_finished = found->second.finished;
    found->second.finished = false;  // written anew from its start
    identity = found->second;
  }
  if (was_finished) journal_.Created(Relative(path), identity.device, identity.inode, 0);
  std::string leaf;
  TFd opened;
  const int parent = OpenParent(Relative(path), false, leaf, opened);
  if (parent < 0) throw EOutputError(path, SystemErrorText(errno));
  TFd file(::openat(parent, leaf.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw EOutputError(path, EntryInTheWay(path, false, errno));
  struct stat st;
  if (::fstat(file.get(), &st) != 0 || st.st_dev != identity.device ||
      st.st_ino != identity.inode || !S_ISREG(st.st_mode))
    throw EOutputError(path, "durch eine andere Datei ersetzt");
  if (st.st_size != 0 && ::ftruncate(file.get(), 0) != 0)
    throw EOutputError(path, SystemErrorText(errno));
  return TOutputFile(file.release(), path);
}

void TOutputFolder::Finish(TOutputFile& file) {
  const std::string path = file.Path();
  file.Close();
  TCreated identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) return;
    found->second.finished = true;
    identity = found->second;
  }
  // Size and time as the file was left, so that a later run can tell whether it was changed.
  TRunJournal::TIdentity finished{identity.device, identity.inode};
  std::string leaf;
  TFd opened;
  const int parent = OpenParent(Relative(path), false, leaf, opened);
  struct stat st;
  if (parent >= 0 && ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      st.st_dev == identity.device && st.st_ino == identity.inode) {
    finished.size = st.st_size;
    finished.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
  journal_.Finished(Relative(path), finished);
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
  const int parent = OpenParent(Relative(path), false, leaf, opened);
  struct stat st;
  // Only the very file that was created goes; whatever took its place meanwhile stays.
  const bool removed = parent >= 0 &&
                       ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                       st.st_dev == identity.device && st.st_ino == identity.inode &&
                       ::unlinkat(parent, leaf.c_str(), 0) == 0;
  journal_.Released(Relative(path));
  return removed;
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
