#include "fault_disk.h"

#include <fnmatch.h>

namespace vistrel::testing {

namespace {

bool Matches(const std::string& pattern, const std::string& path) {
  return !path.empty() && ::fnmatch(pattern.c_str(), path.c_str(), 0) == 0;
}

}  // namespace

void TFaultDisk::Fail(TDiskOperation operation, const std::string& pattern, int error, int nth) {
  std::lock_guard lock(mutex_);
  faults_.push_back({operation, pattern, error, nth});
}

void TFaultDisk::Heal() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

int TFaultDisk::Calls(TDiskOperation operation, const std::string& pattern) const {
  std::lock_guard lock(mutex_);
  int count = 0;
  for (const TCall& call : calls_)
    if (call.operation == operation && Matches(pattern, call.path)) ++count;
  return count;
}

std::string TFaultDisk::PathIn(int folder, const std::string& name) {
  if (folder == kByPath) return name;
  const std::string base = real_.PathOf(folder);
  return name.empty() ? base : base + "/" + name;
}

int TFaultDisk::Check(TDiskOperation operation, const std::string& path, const std::string& other) {
  std::lock_guard lock(mutex_);
  calls_.push_back({operation, path});
  if (!other.empty()) calls_.push_back({operation, other});
  for (TFault& fault : faults_) {
    if (fault.operation != operation ||
        !(Matches(fault.pattern, path) || Matches(fault.pattern, other)))
      continue;
    if (fault.nth == 0 || ++fault.seen == fault.nth) {
      errno = fault.error;
      return fault.error;
    }
  }
  return 0;
}

TDiskStatus TFaultDisk::Open(int folder, const std::string& name, TOpen how, TFd& fd,
                             mode_t permissions) {
  const TDiskOperation operation = how == TOpen::kCreate ? TDiskOperation::kCreate
                                   : how == TOpen::kFolder || how == TOpen::kFolderFollowing
                                       ? TDiskOperation::kOpenFolder
                                       : TDiskOperation::kOpenFile;
  if (const int error = Check(operation, PathIn(folder, name))) {
    fd = TFd();
    return TDiskStatus(error);
  }
  return real_.Open(folder, name, how, fd, permissions);
}

TDiskStatus TFaultDisk::Status(int folder, const std::string& name, bool follow_links,
                               struct stat& status) {
  if (const int error = Check(TDiskOperation::kStatus, PathIn(folder, name)))
    return TDiskStatus(error);
  return real_.Status(folder, name, follow_links, status);
}

TDiskStatus TFaultDisk::Read(int fd, size_t count, std::string& into) {
  if (const int error = Check(TDiskOperation::kRead, real_.PathOf(fd))) return TDiskStatus(error);
  return real_.Read(fd, count, into);
}

TDiskStatus TFaultDisk::Write(int fd, std::string_view bytes) {
  if (const int error = Check(TDiskOperation::kWrite, real_.PathOf(fd))) return TDiskStatus(error);
  return real_.Write(fd, bytes);
}

TDiskStatus TFaultDisk::Close(TFd& fd) {
  // A close that fails still lets the descriptor go, as the system's does.
  const int error = Check(TDiskOperation::kClose, real_.PathOf(fd.get()));
  const TDiskStatus closed = real_.Close(fd);
  return error ? TDiskStatus(error) : closed;
}

TDiskStatus TFaultDisk::Truncate(int fd) {
  if (const int error = Check(TDiskOperation::kTruncate, real_.PathOf(fd)))
    return TDiskStatus(error);
  return real_.Truncate(fd);
}

TDiskStatus TFaultDisk::Sync(int fd) {
  if (const int error = Check(TDiskOperation::kSync, real_.PathOf(fd))) return TDiskStatus(error);
  return real_.Sync(fd);
}

TDiskStatus TFaultDisk::SetPermissions(int fd, mode_t permissions) {
  if (const int error = Check(TDiskOperation::kSetPermissions, real_.PathOf(fd)))
    return TDiskStatus(error);
  return real_.SetPermissions(fd, permissions);
}

TDiskStatus TFaultDisk::Touch(int fd) {
  if (const int error = Check(TDiskOperation::kTouch, real_.PathOf(fd))) return TDiskStatus(error);
  return real_.Touch(fd);
}

TDiskStatus TFaultDisk::Lock(int fd, bool wait) {
  if (const int error = Check(TDiskOperation::kLock, real_.PathOf(fd))) return TDiskStatus(error);
  return real_.Lock(fd, wait);
}

TDiskStatus TFaultDisk::Unlock(int fd) { return real_.Unlock(fd); }

TDiskStatus TFaultDisk::MakeFolder(int folder, const std::string& name, mode_t permissions) {
  if (const int error = Check(TDiskOperation::kMakeFolder, PathIn(folder, name)))
    return TDiskStatus(error);
  return real_.MakeFolder(folder, name, permissions);
}

TDiskStatus TFaultDisk::Remove(int folder, const std::string& name) {
  if (const int error = Check(TDiskOperation::kRemove, PathIn(folder, name)))
    return TDiskStatus(error);
  return real_.Remove(folder, name);
}

TDiskStatus TFaultDisk::RemoveEmptyFolder(int folder, const std::string& name) {
  if (const int error = Check(TDiskOperation::kRemoveFolder, PathIn(folder, name)))
    return TDiskStatus(error);
  return real_.RemoveEmptyFolder(folder, name);
}

TDiskStatus TFaultDisk::Rename(int from_folder, const std::string& from, int to_folder,
                               const std::string& to, bool replace) {
  if (const int error =
          Check(TDiskOperation::kRename, PathIn(from_folder, from), PathIn(to_folder, to)))
    return TDiskStatus(error);
  return real_.Rename(from_folder, from, to_folder, to, replace);
}

TDiskStatus TFaultDisk::List(int folder, std::vector<std::string>& names) {
  if (const int error = Check(TDiskOperation::kList, PathIn(folder, ""))) {
    names.clear();
    return TDiskStatus(error);
  }
  return real_.List(folder, names);
}

TDiskStatus TFaultDisk::Access(const std::string& path, int mode) {
  if (const int error = Check(TDiskOperation::kAccess, path)) return TDiskStatus(error);
  return real_.Access(path, mode);
}

int64_t TFaultDisk::BirthTime(int folder, const std::string& name) {
  return real_.BirthTime(folder, name);
}

std::string TFaultDisk::RealPath(const std::string& path) { return real_.RealPath(path); }

std::string TFaultDisk::PathOf(int fd) { return real_.PathOf(fd); }

}  // namespace vistrel::testing
