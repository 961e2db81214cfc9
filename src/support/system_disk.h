// The machine's disk: TDisk's primitives made with the system's calls. This is the one place
// of the program that opens, reads, writes, renames or removes files and folders; everything
// else asks a TDisk. Get it through SystemDisk() (disk.h), or own one.
//
// Stateless; safe from any thread.
#pragma once

#include "support/disk.h"

namespace vistrel {

class TSystemDisk final : public TDisk {
 public:
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
};

}  // namespace vistrel
