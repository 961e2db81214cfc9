#include "support/disk.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

#include "support/paths.h"
#include "support/text.h"

namespace vistrel {

namespace {

constexpr int kMaxTemporaryNames = 100;
constexpr int kTemporaryNameLength = 6;

// The error for an entry that is there but no regular file.
int NotRegularError(const struct stat& status) { return S_ISDIR(status.st_mode) ? EISDIR : EINVAL; }

// Opens a regular file inside `root` for reading, checking where the opened file really is (so
// a link swapped in between cannot lead outside).
TDiskStatus OpenInside(TDisk& disk, const std::string& root, const std::string& relative_path,
                       TFd& fd) {
  if (!IsSystemPath(root) || !IsSystemPath(relative_path) || relative_path.empty() ||
      relative_path.front() == '/')
    return TDiskStatus(EINVAL);
  const std::string root_resolved = disk.RealPath(root);
  if (root_resolved.empty()) return TDiskStatus(ENOENT);
  std::string path = root;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path += relative_path;
  struct stat status;
  if (TDiskStatus opened = disk.Open(kByPath, path, TOpen::kReadFollowing, fd); !opened.Ok())
    return opened;
  if (TDiskStatus read = disk.Status(fd.get(), "", false, status); !read.Ok()) return read;
  if (!S_ISREG(status.st_mode)) return TDiskStatus(NotRegularError(status));
  std::string opened_path = disk.PathOf(fd.get());
  if (opened_path.empty()) opened_path = disk.RealPath(path);
  if (!IsSameOrBelow(opened_path, root_resolved)) return TDiskStatus(EACCES);
  return {};
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

TDiskStatus TDisk::OpenFolder(const std::string& path, TFd& fd, bool follow_links) {
  return Open(kByPath, path, follow_links ? TOpen::kFolderFollowing : TOpen::kFolder, fd);
}

TDiskStatus TDisk::OpenParentFolder(int root, std::string_view relative, bool create,
                                    TParentFolder& parent, std::string* failed) {
  parent.fd = root;
  parent.opened = TFd();
  if (root < 0) return TDiskStatus(EBADF);
  const auto parts = SplitPath(relative);
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    const std::string part(parts[i]);
    TDiskStatus status;
    if (create && part != "..") {
      status = MakeFolder(parent.fd, part, 0755);
      if (status.Error() == EEXIST) status = TDiskStatus();
    }
    TFd next;
    if (status.Ok()) status = Open(parent.fd, part, TOpen::kFolder, next);
    if (!status.Ok()) {
      if (failed)
        *failed =
            std::string(relative.substr(0, parts[i].data() + parts[i].size() - relative.data()));
      return status;
    }
    parent.opened = std::move(next);
    parent.fd = parent.opened.get();
  }
  parent.leaf = std::string(parts.back());
  return {};
}

// Sized by the file's length, read on in larger pieces if the file grows meanwhile.
TDiskStatus TDisk::ReadRest(int fd, std::string& contents, size_t max_size) {
  struct stat status;
  const size_t expected = Status(fd, "", false, status).Ok() && status.st_size > 0
                              ? static_cast<size_t>(status.st_size)
                              : 0;
  contents.clear();
  if (expected > max_size) return TDiskStatus(EFBIG);
  // One byte more than the file's length, so the end is seen in the same call.
  size_t want = expected + 1;
  while (true) {
    const size_t before = contents.size();
    if (TDiskStatus read = Read(fd, want, contents); !read.Ok()) {
      contents.clear();
      return read;
    }
    if (contents.size() > max_size) {
      contents.clear();
      return TDiskStatus(EFBIG);
    }
    if (contents.size() - before < want) return {};
    want = std::min(contents.size() + 65536, max_size + 1 - contents.size());
  }
}

TDiskStatus TDisk::ReadFileAt(int folder, const std::string& name, std::string& contents,
                              size_t max_size) {
  contents.clear();
  TFd fd;
  struct stat status;
  if (TDiskStatus opened = Open(folder, name, TOpen::kRead, fd); !opened.Ok()) return opened;
  if (TDiskStatus read = Status(fd.get(), "", false, status); !read.Ok()) return read;
  if (!S_ISREG(status.st_mode)) return TDiskStatus(NotRegularError(status));
  return ReadRest(fd.get(), contents, max_size);
}

TDiskStatus TDisk::ReadFile(const std::string& path, std::string& contents, size_t max_size) {
  contents.clear();
  TFd fd;
  struct stat status;
  if (TDiskStatus opened = Open(kByPath, path, TOpen::kReadFollowing, fd); !opened.Ok())
    return opened;
  if (TDiskStatus read = Status(fd.get(), "", false, status); !read.Ok()) return read;
  if (!S_ISREG(status.st_mode)) return TDiskStatus(NotRegularError(status));
  return ReadRest(fd.get(), contents, max_size);
}

TDiskStatus TDisk::ReadFileStart(const std::string& path, size_t count, std::string& contents) {
  contents.clear();
  TFd fd;
  struct stat status;
  if (TDiskStatus opened = Open(kByPath, path, TOpen::kReadFollowing, fd); !opened.Ok())
    return opened;
  if (TDiskStatus read = Status(fd.get(), "", false, status); !read.Ok()) return read;
  if (!S_ISREG(status.st_mode)) return TDiskStatus(NotRegularError(status));
  return Read(fd.get(), count, contents);
}

TDiskStatus TDisk::ReadFileInside(const std::string& root, const std::string& relative_path,
                                  std::string& contents, size_t max_size) {
  contents.clear();
  TFd fd;
  if (TDiskStatus opened = OpenInside(*this, root, relative_path, fd); !opened.Ok()) return opened;
  return ReadRest(fd.get(), contents, max_size);
}

bool TDisk::IsRegularFileInside(const std::string& root, const std::string& relative_path) {
  TFd fd;
  return OpenInside(*this, root, relative_path, fd).Ok();
}

TDiskStatus TDisk::WriteFileReplacing(const std::string& path, std::string_view contents) {
  if (!IsSystemPath(path)) return TDiskStatus(EINVAL);
  // A new name beside the file, made exclusively, owner only until the contents are complete.
  std::string temp_path;
  TFd fd;
  TDiskStatus status(EEXIST);
  for (int attempt = 0; attempt < kMaxTemporaryNames && status.Error() == EEXIST; ++attempt) {
    temp_path = path + "." + RandomName(kTemporaryNameLength);
    status = Open(kByPath, temp_path, TOpen::kCreate, fd, 0600);
  }
  if (!status.Ok()) return status;
  status = Write(fd.get(), contents);
  // The new file keeps the permissions of the one it replaces; a new document gets the usual.
  struct stat old_file;
  const mode_t mode =
      Status(kByPath, path, true, old_file).Ok() ? (old_file.st_mode & 07777) : 0644;
  if (status.Ok()) status = SetPermissions(fd.get(), mode);
  if (status.Ok()) status = Sync(fd.get());
  if (TDiskStatus closed = Close(fd); status.Ok()) status = closed;
  if (status.Ok()) status = Rename(kByPath, temp_path, kByPath, path, true);
  if (!status.Ok()) (void)Remove(kByPath, temp_path);
  return status;
}

TDiskStatus TDisk::MakeFolders(const std::string& path, mode_t permissions) {
  if (path.empty() || path.front() != '/') return TDiskStatus(EINVAL);
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string prefix = slash == std::string::npos ? path : path.substr(0, slash);
    if (!prefix.empty()) {
      if (TDiskStatus made = MakeFolder(kByPath, prefix, permissions);
          !made.Ok() && made.Error() != EEXIST)
        return made;
    }
    if (slash == std::string::npos) break;
  }
  return IsFolder(path) ? TDiskStatus() : TDiskStatus(ENOTDIR);
}

std::vector<std::string> TDisk::ListFolder(int folder) {
  std::vector<std::string> names;
  if (!List(folder, names).Ok()) names.clear();
  return names;
}

std::vector<std::string> TDisk::ListFolder(const std::string& path) {
  TFd fd;
  if (!OpenFolder(path, fd).Ok()) return {};
  return ListFolder(fd.get());
}

bool TDisk::IsFolder(const std::string& path, bool follow_links) {
  struct stat status;
  return Status(kByPath, path, follow_links, status).Ok() && S_ISDIR(status.st_mode);
}

bool TDisk::IsRegularFile(const std::string& path) {
  struct stat status;
  return Status(kByPath, path, true, status).Ok() && S_ISREG(status.st_mode);
}

bool TDisk::Exists(const std::string& path) {
  struct stat status;
  return Status(kByPath, path, false, status).Ok();
}

bool TDisk::IsMountRoot(const std::string& path, const TMountTable& listed) {
  if (path == "/") return true;
  struct stat self;
  struct stat parent;
  if (!Status(kByPath, path, true, self).Ok() || !Status(kByPath, path + "/..", true, parent).Ok())
    return false;
  // A different device than the folder above it, or a bind mount the kernel lists.
  if (self.st_dev != parent.st_dev || self.st_ino == parent.st_ino) return true;
  const std::vector<std::string> points = listed ? listed() : ListedMountPoints();
  return std::find(points.begin(), points.end(), path) != points.end();
}

std::vector<std::string> TDisk::ListedMountPoints() {
  std::string contents;
  if (!ReadFile("/proc/self/mountinfo", contents).Ok()) return {};
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

std::string TDisk::EntryInTheWay(const std::string& path, bool folder_wanted, int error) {
  struct stat status;
  if (!Status(kByPath, path, false, status).Ok()) return SystemErrorText(error);
  if (S_ISLNK(status.st_mode)) return path + " ist " + SystemErrorText(ELOOP);
  if (S_ISDIR(status.st_mode))
    return folder_wanted ? SystemErrorText(error) : path + " ist " + SystemErrorText(EISDIR);
  if (S_ISREG(status.st_mode))
    return folder_wanted ? path + " ist " + SystemErrorText(ENOTDIR) : SystemErrorText(error);
  return path + " ist keine gewöhnliche Datei";
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

}  // namespace vistrel
