#include "support/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "support/text.h"

namespace vistrel {

namespace {

// The resolved path of an open file, as the kernel knows it.
std::string PathOfOpenFile(int fd) {
  char buffer[PATH_MAX + 1];
  std::string link = "/proc/self/fd/" + std::to_string(fd);
  ssize_t n = ::readlink(link.c_str(), buffer, PATH_MAX);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<size_t>(n));
}

// Opens a regular file inside `root` for reading, checking where the opened file really is
// (so a link swapped in between cannot lead outside); -1 when refused.
int OpenInside(const std::string& root, const std::string& relative_path) {
  if (!IsSystemPath(root) || !IsSystemPath(relative_path)) return -1;
  if (relative_path.empty() || relative_path.front() == '/') return -1;
  std::string root_resolved = RealPath(root);
  if (root_resolved.empty()) return -1;
  std::string path = root;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += relative_path;
  TFd fd(OpenRegularForReading(path));
  if (fd.get() < 0) return -1;
  std::string opened = PathOfOpenFile(fd.get());
  if (opened.empty()) opened = RealPath(path);
  if (!IsSameOrBelow(opened, root_resolved)) return -1;
  return fd.release();
}

// A mount point as /proc/self/mountinfo writes it: blanks and the like as \ooo.
std::string UnescapeMountPoint(std::string_view escaped) {
  std::string point;
  for (size_t i = 0; i < escaped.size(); ++i) {
    const std::string_view octal = escaped.substr(i + 1, 3);
    if (escaped[i] == '\\' && octal.size() == 3 &&
        octal.find_first_not_of("01234567") == std::string_view::npos) {
      point.push_back(
          static_cast<char>((octal[0] - '0') * 64 + (octal[1] - '0') * 8 + (octal[2] - '0')));
      i += 3;
    } else {
      point.push_back(escaped[i]);
    }
  }
  return point;
}

}  // namespace

std::vector<std::string> ListedMountPoints() {
  std::string contents;
  if (!ReadWholeFile("/proc/self/mountinfo", contents)) return {};
  return ParseMountInfo(contents);
}

std::vector<std::string> ParseMountInfo(std::string_view mountinfo) {
  std::vector<std::string> points;
  for (const std::string& line : SplitTextLines(mountinfo)) {
    std::istringstream fields(line);
    std::string field;
    int read = 0;
    while (read < 5 && fields >> field) ++read;
    if (read == 5) points.push_back(UnescapeMountPoint(field));  // the fifth field
  }
  return points;
}

// Sized by the file's length, grown if the file grows meanwhile.
bool ReadOpenFile(int fd, std::string& contents, size_t max_size) {
  struct stat st;
  const size_t expected =
      ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
  contents.clear();
  if (expected > max_size) return false;
  contents.resize(expected + 1);
  size_t filled = 0;
  while (true) {
    if (filled == contents.size()) {
      if (filled > max_size) {
        contents.clear();
        return false;
      }
      contents.resize(std::min(contents.size() * 2 + 65536, max_size + 1));
    }
    ssize_t n = ::read(fd, contents.data() + filled, contents.size() - filled);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      contents.clear();
      return false;
    }
    filled += static_cast<size_t>(n);
  }
  if (filled > max_size) {
    contents.clear();
    return false;
  }
  contents.resize(filled);
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string SystemErrorText(int error) {
  switch (error) {
    case ENOSPC:
      return "kein Platz mehr auf dem Datenträger";
    case EFBIG:
      return "Datei zu groß";
    case EDQUOT:
      return "Speicherkontingent erschöpft";
    case EROFS:
      return "nur lesbares Dateisystem";
    case EACCES:
    case EPERM:
      return "keine Berechtigung";
    case ELOOP:
      return "eine Verknüpfung";
    case ENOTDIR:
      return "kein Ordner";
    case EISDIR:
      return "ein Ordner";
    case ENOENT:
      return "nicht vorhanden";
    case EEXIST:
      return "schon vorhanden";
    case ENAMETOOLONG:
      return "Name zu lang";
    case EIO:
      return "Ein-/Ausgabefehler";
    default:
      return "Systemfehler " + std::to_string(error);
  }
}

std::string EntryInTheWay(const std::string& path, bool folder_wanted, int error) {
  struct stat st;
  if (!IsSystemPath(path) || ::lstat(path.c_str(), &st) != 0) return SystemErrorText(error);
  if (S_ISLNK(st.st_mode)) return path + " ist " + SystemErrorText(ELOOP);
  if (S_ISDIR(st.st_mode))
    return folder_wanted ? SystemErrorText(error) : path + " ist " + SystemErrorText(EISDIR);
  if (S_ISREG(st.st_mode))
    return folder_wanted ? path + " ist " + SystemErrorText(ENOTDIR) : SystemErrorText(error);
  return path + " ist keine gewöhnliche Datei";
}

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

int OpenParentFolder(int root, std::string_view relative, bool create, std::string& leaf,
                     TFd& opened, std::string* failed) {
  const auto parts = SplitPath(relative);
  int fd = root;
  for (size_t i = 0; fd >= 0 && i + 1 < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    const std::string part(parts[i]);
    bool ok = !create || part == ".." || ::mkdirat(fd, part.c_str(), 0755) == 0 || errno == EEXIST;
    TFd next(ok ? ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1);
    if (next.get() < 0) {
      const int error = errno;
      if (failed)
        *failed =
            std::string(relative.substr(0, parts[i].data() + parts[i].size() - relative.data()));
      errno = error;
      return -1;
    }
    opened = std::move(next);
    fd = opened.get();
  }
  leaf = std::string(parts.back());
  return fd;
}

bool IsSystemPath(std::string_view path) { return path.find('\0') == std::string_view::npos; }

int OpenRegularForReading(const std::string& path) {
  if (!IsSystemPath(path)) return -1;
  // O_NONBLOCK: a FIFO must not block the program; O_NOCTTY: a terminal must not become ours.
  TFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return fd.release();
}

std::vector<std::string> ListFolderEntries(int folder_fd) {
  std::vector<std::string> names;
  const int own_fd = ::dup(folder_fd);  // closedir() closes the descriptor it was given
  if (own_fd < 0) return names;
  DIR* dir = ::fdopendir(own_fd);
  if (!dir) {
    ::close(own_fd);
    return names;
  }
  ::rewinddir(dir);
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> ListFolderEntries(const std::string& folder) {
  if (!IsSystemPath(folder)) return {};
  TFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.get() < 0 ? std::vector<std::string>() : ListFolderEntries(fd.get());
}

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

std::string RealPath(const std::string& path) {
  if (!IsSystemPath(path)) return {};
  std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
  return resolved ? std::string(resolved.get()) : std::string();
}

bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
  if (inner.empty() || outer.empty()) return false;
  if (inner == outer || outer == "/") return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         inner[outer.size()] == '/';
}

bool IsFolder(const std::string& path, bool follow_links) {
  if (!IsSystemPath(path)) return false;
  struct stat st;
  const int result = follow_links ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
  return result == 0 && S_ISDIR(st.st_mode);
}

int64_t BirthTime(int folder, const std::string& name) {
  struct statx st {};
  const int flags = AT_SYMLINK_NOFOLLOW | (name.empty() ? AT_EMPTY_PATH : 0);
  if (::statx(folder, name.c_str(), flags, STATX_BTIME, &st) != 0 || !(st.stx_mask & STATX_BTIME))
    return 0;
  return static_cast<int64_t>(st.stx_btime.tv_sec) * 1'000'000'000 + st.stx_btime.tv_nsec;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return IsSystemPath(path) && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadWholeFile(const std::string& path, std::string& contents, size_t max_size) {
  TFd fd(OpenRegularForReading(path));
  return fd.get() >= 0 && ReadOpenFile(fd.get(), contents, max_size);
}

bool ReadFileInside(const std::string& root, const std::string& relative_path,
                    std::string& contents, size_t max_size) {
  TFd fd(OpenInside(root, relative_path));
  return fd.get() >= 0 && ReadOpenFile(fd.get(), contents, max_size);
}

bool IsRegularFileInside(const std::string& root, const std::string& relative_path) {
  TFd fd(OpenInside(root, relative_path));
  return fd.get() >= 0;
}

bool WriteFileReplacing(const std::string& path, std::string_view contents) {
  if (!IsSystemPath(path)) return false;
  std::string temp_path = path + ".XXXXXX";
  TFd fd(::mkstemp(temp_path.data()));
  if (fd.get() < 0) return false;
  bool ok = WriteAll(fd.get(), contents);
  // mkstemp creates the file for the owner only; the new file keeps the permissions of the one
  // it replaces, and a new document gets the usual ones.
  struct stat old_file;
  mode_t mode = ::stat(path.c_str(), &old_file) == 0 ? (old_file.st_mode & 07777) : 0644;
  ok = ok && ::fchmod(fd.get(), mode) == 0;
  ok = ok && ::fsync(fd.get()) == 0;
  ok = ::close(fd.release()) == 0 && ok;
  ok = ok && ::rename(temp_path.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp_path.c_str());
  return ok;
}

std::string HomeFromEnvironment() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0] == '/')
    return user->pw_dir;
  return {};
}

std::string XdgFolder(const char* variable, const std::string& home, const char* below_home) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  if (!home.empty() && home[0] == '/') return home + "/" + below_home;
  return {};
}

bool IsMountRoot(const std::string& path, const TMountTable& listed) {
  if (path == "/") return true;
  struct stat self;
  struct stat parent;
  if (::stat(path.c_str(), &self) != 0 || ::stat((path + "/..").c_str(), &parent) != 0)
    return false;
  // A different device than the folder above it, or a bind mount the kernel lists.
  if (self.st_dev != parent.st_dev || self.st_ino == parent.st_ino) return true;
  const std::vector<std::string> points = listed();
  return std::find(points.begin(), points.end(), path) != points.end();
}

bool MakeFolders(const std::string& path) {
  if (path.empty() || path.front() != '/') return false;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = slash == std::string::npos ? path : path.substr(0, slash);
    if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return IsFolder(path);
}

}  // namespace vistrel
