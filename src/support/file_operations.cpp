#include "support/file_operations.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/file_io.h"

namespace vistrel {

namespace {

// Names of the entries of an open folder, without "." and "..".
std::vector<std::string> ListEntries(int dir_fd) {
  std::vector<std::string> names;
  int dup_fd = ::dup(dir_fd);
  if (dup_fd < 0) return names;
  DIR* dir = ::fdopendir(dup_fd);
  if (!dir) {
    ::close(dup_fd);
    return names;
  }
  ::rewinddir(dir);
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  return names;
}

bool CopyRegularFile(int source_dir, int target_dir, const std::string& name) {
  TFd in(::openat(source_dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (in.get() < 0) return false;
  struct stat st;
  if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  struct stat existing;
  if (::fstatat(target_dir, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(existing.st_mode)) return false;
    if (::unlinkat(target_dir, name.c_str(), 0) != 0) return false;
  }
  TFd out(::openat(target_dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0644));
  if (out.get() < 0) return false;
  char buffer[65536];
  while (true) {
    ssize_t n = ::read(in.get(), buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out.get(), buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += w;
    }
  }
}

// Opens (creating when missing) the folder `name` inside `parent_fd`, refusing a link.
int OpenOrMakeFolder(int parent_fd, const char* name) {
  if (::mkdirat(parent_fd, name, 0755) != 0 && errno != EEXIST) return -1;
  return ::openat(parent_fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool CopyFolderContents(int source_dir, int target_dir, int depth) {
  if (depth > 64) return false;  // a folder nested this deep is not a skin's static files
  bool ok = true;
  for (const std::string& name : ListEntries(source_dir)) {
    struct stat st;
    if (::fstatat(source_dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ok = false;
    } else if (S_ISDIR(st.st_mode)) {
      TFd sub_source(
          ::openat(source_dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      TFd sub_target(OpenOrMakeFolder(target_dir, name.c_str()));
      ok = sub_source.get() >= 0 && sub_target.get() >= 0 &&
           CopyFolderContents(sub_source.get(), sub_target.get(), depth + 1) && ok;
    } else if (S_ISREG(st.st_mode)) {
      ok = CopyRegularFile(source_dir, target_dir, name) && ok;
    } else {
      ok = false;  // links, FIFOs and devices are never copied
    }
  }
  return ok;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

// Moves one entry to the trash, or deletes it where no trash takes it.
bool Discard(const std::string& path) {
  if (QFile::moveToTrash(QString::fromLocal8Bit(path.c_str()))) return true;
  std::error_code error;
  std::filesystem::remove_all(path, error);
  struct stat st;
  return ::lstat(path.c_str(), &st) != 0;
}

}  // namespace

bool CopyFolder(const std::string& source, const std::string& target) {
  TFd source_fd(::open(source.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (source_fd.get() < 0) return false;
  std::string target_path = target;
  while (target_path.size() > 1 && target_path.back() == '/') target_path.pop_back();
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(target_path).parent_path(), error);
  if (::mkdir(target_path.c_str(), 0755) != 0 && errno != EEXIST) return false;
  TFd target_fd(::open(target_path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (target_fd.get() < 0) return false;
  return CopyFolderContents(source_fd.get(), target_fd.get(), 0);
}

bool ShellFileOperation(const std::string& path, TFileOperation operation) {
  if (operation != TFileOperation::kDelete) return false;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  if (pattern.find_first_of("*?[") == std::string::npos) return Discard(path);
  TFd folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() < 0) return false;
  bool ok = true;
  for (const std::string& name : ListEntries(folder_fd.get()))
    if (MatchesPattern(pattern, name)) ok = Discard(folder + name) && ok;
  return ok;
}

bool EmptyDirectory(const std::string& directory) {
  std::string pattern = directory;
  if (pattern.empty() || pattern.back() != '/') pattern.push_back('/');
  pattern += "*.*";
  return ShellFileOperation(pattern, TFileOperation::kDelete);
}

}  // namespace vistrel
