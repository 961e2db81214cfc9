#include "support/system_disk.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "support/paths.h"

namespace vistrel {

namespace {

static_assert(kByPath == AT_FDCWD);

// The system's error of the call just made, as a status.
TDiskStatus LastError() { return TDiskStatus(errno); }

TDiskStatus Result(int result) { return result == 0 ? TDiskStatus() : LastError(); }

int OpenFlags(TOpen how) {
  // O_NONBLOCK: a FIFO must not block the program; O_NOCTTY: a terminal must not become ours.
  switch (how) {
    case TOpen::kFolder:
      return O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    case TOpen::kFolderFollowing:
      return O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    case TOpen::kRead:
      return O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    case TOpen::kReadFollowing:
      return O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    case TOpen::kWrite:
      return O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    case TOpen::kCreate:
      return O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  }
  return O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
}

}  // namespace

TFd::~TFd() {
  if (fd_ >= 0) ::close(fd_);
}

TFd& TFd::operator=(TFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

TDisk& SystemDisk() {
  static TSystemDisk disk;
  return disk;
}

TDiskStatus TSystemDisk::Open(int folder, const std::string& name, TOpen how, TFd& fd,
                              mode_t permissions) {
  fd = TFd();
  if (!IsSystemPath(name)) return TDiskStatus(EINVAL);
  fd = TFd(::openat(folder, name.c_str(), OpenFlags(how), permissions));
  return fd.get() >= 0 ? TDiskStatus() : LastError();
}

TDiskStatus TSystemDisk::Status(int folder, const std::string& name, bool follow_links,
                                struct stat& status) {
  if (name.empty()) return Result(::fstat(folder, &status));
  if (!IsSystemPath(name)) return TDiskStatus(EINVAL);
  return Result(::fstatat(folder, name.c_str(), &status, follow_links ? 0 : AT_SYMLINK_NOFOLLOW));
}

TDiskStatus TSystemDisk::Read(int fd, size_t count, std::string& into) {
  const size_t start = into.size();
  into.resize(start + count);
  size_t filled = 0;
  while (filled < count) {
    const ssize_t n = ::read(fd, into.data() + start + filled, count - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const TDiskStatus error = LastError();
      into.resize(start);
      return error;
    }
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  into.resize(start + filled);
  return {};
}

TDiskStatus TSystemDisk::Write(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastError();
    if (n == 0) return TDiskStatus(EIO);
    done += static_cast<size_t>(n);
  }
  return {};
}

TDiskStatus TSystemDisk::Close(TFd& fd) {
  if (fd.get() < 0) return TDiskStatus(EBADF);
  return Result(::close(fd.release()));
}

TDiskStatus TSystemDisk::Truncate(int fd) { return Result(::ftruncate(fd, 0)); }

TDiskStatus TSystemDisk::Sync(int fd) { return Result(::fsync(fd)); }

TDiskStatus TSystemDisk::SetPermissions(int fd, mode_t permissions) {
  return Result(::fchmod(fd, permissions));
}

TDiskStatus TSystemDisk::Touch(int fd) { return Result(::futimens(fd, nullptr)); }

TDiskStatus TSystemDisk::Lock(int fd, bool wait) {
  if (!wait) return Result(::flock(fd, LOCK_EX | LOCK_NB));
  int result;
  do result = ::flock(fd, LOCK_EX);
  while (result != 0 && errno == EINTR);
  return Result(result);
}

TDiskStatus TSystemDisk::Unlock(int fd) { return Result(::flock(fd, LOCK_UN)); }

TDiskStatus TSystemDisk::MakeFolder(int folder, const std::string& name, mode_t permissions) {
  if (!IsSystemPath(name)) return TDiskStatus(EINVAL);
  return Result(::mkdirat(folder, name.c_str(), permissions));
}

TDiskStatus TSystemDisk::Remove(int folder, const std::string& name) {
  if (!IsSystemPath(name)) return TDiskStatus(EINVAL);
  return Result(::unlinkat(folder, name.c_str(), 0));
}

TDiskStatus TSystemDisk::RemoveEmptyFolder(int folder, const std::string& name) {
  if (!IsSystemPath(name)) return TDiskStatus(EINVAL);
  return Result(::unlinkat(folder, name.c_str(), AT_REMOVEDIR));
}

TDiskStatus TSystemDisk::Rename(int from_folder, const std::string& from, int to_folder,
                                const std::string& to, bool replace) {
  if (!IsSystemPath(from) || !IsSystemPath(to)) return TDiskStatus(EINVAL);
  return Result(::renameat2(from_folder, from.c_str(), to_folder, to.c_str(),
                            replace ? 0 : RENAME_NOREPLACE));
}

TDiskStatus TSystemDisk::List(int folder, std::vector<std::string>& names) {
  names.clear();
  const int own_fd = ::dup(folder);  // closedir() closes the descriptor it was given
  if (own_fd < 0) return LastError();
  DIR* dir = ::fdopendir(own_fd);
  if (!dir) {
    const TDiskStatus error = LastError();
    ::close(own_fd);
    return error;
  }
  ::rewinddir(dir);
  TDiskStatus read;
  while (true) {
    errno = 0;  // readdir() sets it only when it fails, and returns null at the end too
    const dirent* entry = ::readdir(dir);
    if (!entry) {
      read = LastError();
      break;
    }
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return read;
}

TDiskStatus TSystemDisk::Access(const std::string& path, int mode) {
  if (!IsSystemPath(path)) return TDiskStatus(EINVAL);
  return Result(::access(path.c_str(), mode));
}

int64_t TSystemDisk::BirthTime(int folder, const std::string& name) {
  if (!IsSystemPath(name)) return 0;
  struct statx status {};
  const int flags = AT_SYMLINK_NOFOLLOW | (name.empty() ? AT_EMPTY_PATH : 0);
  if (::statx(folder, name.c_str(), flags, STATX_BTIME, &status) != 0 ||
      !(status.stx_mask & STATX_BTIME))
    return 0;
  return static_cast<int64_t>(status.stx_btime.tv_sec) * 1'000'000'000 + status.stx_btime.tv_nsec;
}

std::string TSystemDisk::RealPath(const std::string& path) {
  if (!IsSystemPath(path)) return {};
  std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

std::string TSystemDisk::PathOf(int fd) {
  char buffer[PATH_MAX + 1];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), buffer, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace vistrel
