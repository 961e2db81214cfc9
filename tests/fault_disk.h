// A disk for tests: the machine's own (a TSystemDisk, on the test's scratch folder), except for
// the operations a test chooses to fail, as LevelDB's fault-injection Env does. A test names an
// operation kind, a pattern of the path it works on and the error it gets, and optionally which
// of the matching calls fails; the failure paths of a full disk, a folder that refuses files or
// a journal that cannot be written are then tested on any machine, without special mounts.
//
// Paths are full paths: for an operation on a held folder or file, the folder's or file's path
// as the system knows it (then "/" and the name). Patterns are shell patterns (fnmatch) in which
// "*" also matches "/". A renaming matches when either of its paths does.
//
// Safe from several threads at once, as a disk must be.
#pragma once

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "support/disk.h"
#include "support/system_disk.h"

namespace vistrel::testing {

enum class TDiskOperation {
  kOpenFolder,
  kOpenFile,  // an existing file, for reading or writing
  kCreate,
  kStatus,
  kRead,
  kWrite,
  kClose,
  kTruncate,
  kSync,
  kSetPermissions,
  kTouch,
  kLock,
  kMakeFolder,
  kRemove,
  kRemoveFolder,
  kRename,
  kList,
  kAccess,
};

class TFaultDisk : public TDisk {
 public:
  // Every later call of `operation` on a path matching `pattern` fails with `error`; with
  // `nth` > 0 only the nth such call (counted from 1, from now on) does.
  void Fail(TDiskOperation operation, const std::string& pattern, int error, int nth = 0);
  // The disk works again.
  void Heal();
  // How many calls of `operation` on paths matching `pattern` were made, failed ones included.
  int Calls(TDiskOperation operation, const std::string& pattern = "*") const;

  TDiskStatus Open(int folder, const std::string& name, TOpen how, TFd& fd,
                   mode_t permissions = 0600) override;
  TDiskStatus Status(int folder, const std::string& name, bool follow_links,
                     struct stat& status) override;
  TDiskStatus Read(int fd, size_t count, std::string& into) override;
  TDiskStatus Write(int fd, std::string_view bytes) override;
  TDiskStatus Close(TFd& fd) override;
  TDiskStatus Truncate(int fd) override;
  TDiskStatus Sync(int fd) override;
  TDiskStatus SetPermissions(int fd, mode_t permissions) override;
  TDiskStatus Touch(int fd) override;
  TDiskStatus Lock(int fd, bool wait) override;
  TDiskStatus Unlock(int fd) override;
  TDiskStatus MakeFolder(int folder, const std::string& name, mode_t permissions) override;
  TDiskStatus Remove(int folder, const std::string& name) override;
  TDiskStatus RemoveEmptyFolder(int folder, const std::string& name) override;
  TDiskStatus Rename(int from_folder, const std::string& from, int to_folder, const std::string& to,
                     bool replace) override;
  TDiskStatus List(int folder, std::vector<std::string>& names) override;
  TDiskStatus Access(const std::string& path, int mode) override;
  int64_t BirthTime(int folder, const std::string& name) override;
  std::string RealPath(const std::string& path) override;
  std::string PathOf(int fd) override;

 private:
  struct TFault {
    TDiskOperation operation;
    std::string pattern;
    int error;
    int nth;
    int seen = 0;
  };
  struct TCall {
    TDiskOperation operation;
    std::string path;
  };

  // The full path of `name` in `folder`.
  std::string PathIn(int folder, const std::string& name);
  // Notes the call; the error a fault gives it, or 0.
  int Check(TDiskOperation operation, const std::string& path, const std::string& other = {});

  TSystemDisk real_;
  mutable std::mutex mutex_;
  std::vector<TFault> faults_;
  std::vector<TCall> calls_;
};

}  // namespace vistrel::testing
