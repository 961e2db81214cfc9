// Helpers shared by the tests: temporary folders and small file utilities.
#pragma once

#include <sys/types.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "generation/run_services.h"
#include "support/disk.h"
#include "support/trash.h"

namespace vistrel::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Path() ends with "/".
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path() + relative.
  std::string operator/(std::string_view relative) const;

 private:
  std::string path_;
};

// Writes `contents` to `path`, creating missing parent folders.
void WriteFile(const std::string& path, std::string_view contents);
// The contents of `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// The names in `folder`, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string& folder);

// Sets (or, with nullopt, unsets) an environment variable and restores it when it goes.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Makes `folder` the current folder and goes back when it goes.
class ScopedCurrentFolder {
 public:
  explicit ScopedCurrentFolder(const std::string& folder);
  ~ScopedCurrentFolder();
  ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
  ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

 private:
  std::string old_;
};

// A program started by a test, with SIGINT and SIGTERM held back (blocked) until the program
// lets them through: a signal sent at once then meets the program's own handling rather than
// the default action while the program is still being loaded. With `ignore_sigint` it starts
// with SIGINT ignored, as nohup or a shell's background job starts it. Its standard output
// goes to `output`, its standard error to `errors`.
pid_t StartProgram(const std::vector<std::string>& argv, const std::string& output,
                   const std::string& errors, bool ignore_sigint = false);
// The wait status of `child` once it has ended; after `seconds` it is killed and the test fails.
int WaitForProgram(pid_t child, int seconds = 120);

// While it lives, no file of this process grows past `bytes`: a write beyond fails with EFBIG
// ("Datei zu groß"), as a full disk fails it, instead of raising SIGXFSZ. Files written before
// keep their size. Restores the limit and the signal when it goes.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(unsigned long bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  unsigned long old_soft_limit_;
  void (*old_handler_)(int);
};

// The machine of a run made by a test: the machine's disk or one the test gives (a
// TFaultDisk), a home folder in a scratch folder (created), the folders the test declares
// mount roots, a real desktop trash under that home, so nothing the test empties ever reaches
// the user's trash, and the variant cache under that home too (`cache_folder`, which a test
// may point elsewhere).
class ScratchFiles : public TFileServices {
 public:
  explicit ScratchFiles(const std::string& home, TDisk& disk = SystemDisk());
  TDisk& Disk() const override { return disk_; }
  std::string HomeFolder() const override { return home_; }
  bool IsMountRoot(const std::string& path) const override { return mount_roots.count(path) > 0; }
  std::vector<std::string> MountPoints() const override {
    return {mount_roots.begin(), mount_roots.end()};
  }
  TTrash& Trash() override { return trash_; }
  std::string CacheFolder() const override { return cache_folder; }
  // The trash's "files" folder, where emptied entries go.
  std::string TrashFiles() const { return home_ + "/.local/share/Trash/files"; }

  std::set<std::string> mount_roots;  // resolved paths
  std::string cache_folder;           // <home>/.cache/vistrel

 private:
  TDisk& disk_;
  std::string home_;
  TFreedesktopTrash trash_;
};

}  // namespace vistrel::testing
