// Reading and writing whole files safely.
//
// Everything the program reads is read whole into memory, and only from regular files: a FIFO,
// a device or a folder is refused without blocking. Files that belong to a skin can be read
// confined to the skin's folder, so a skin cannot reach a file outside it through an absolute
// path, ".." or a link. Writing a document replaces the old file only once the new contents
// are complete on disk.
//
// Free functions without state; safe from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Owns a POSIX file descriptor and closes it when it goes.
class TFd {
 public:
  explicit TFd(int fd = -1) : fd_(fd) {}
  ~TFd();
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  TFd(TFd&& other) noexcept : fd_(other.release()) {}
  TFd& operator=(TFd&& other) noexcept;
  int get() const { return fd_; }
  // Gives up ownership without closing.
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// True when `path` can be handed to the system as it is. The system takes a NUL byte as the
// end of a name, so a path holding one would name something else than it says ("..<NUL>x"
// becomes ".."); every function here refuses such a path, and so does everything that names
// generated files.
bool IsSystemPath(std::string_view path);

// Opens the regular file `path` for reading without blocking on a FIFO or a device; -1 when it
// cannot be opened or is no regular file.
int OpenRegularForReading(const std::string& path);

// The parts of a path between its "/" separators, in order, empty ones and "." and ".."
// included ("a//b/" gives "a", "", "b", "").
std::vector<std::string_view> SplitPath(std::string_view path);

// The folder that holds the last part of `relative` below the open folder `root`, reached
// without following any link: its descriptor (`root` itself, or one now owned by `opened`),
// and in `leaf` the last part. With `create`, missing folders on the way are made (mode 0755).
// -1, with errno set, when a folder on the way cannot be made or opened; `failed` (when given)
// is then `relative` up to that folder.
int OpenParentFolder(int root, std::string_view relative, bool create, std::string& leaf,
                     TFd& opened, std::string* failed = nullptr);

// The names in a folder (an open one, or by path), sorted by their bytes, without "." and "..";
// empty when the folder cannot be read.
std::vector<std::string> ListFolderEntries(int folder_fd);
std::vector<std::string> ListFolderEntries(const std::string& folder);

// Files read whole are refused past a size: what comes from strangers must not take the
// machine's memory. A skin's files (skin file, tables, templates) are small text; no sensible
// one comes near 32 MB. Photos and image lists may be large, but not beyond 1 GB.
inline constexpr size_t kMaxSkinFileSize = 32u * 1024 * 1024;
inline constexpr size_t kMaxDataFileSize = 1024u * 1024 * 1024;

// Reads what is left of the open file `fd` into `contents`; false when reading fails or it is
// longer than `max_size`.
[[nodiscard]] bool ReadOpenFile(int fd, std::string& contents, size_t max_size);
// Writes all of `bytes` to `fd`; false (with errno set) when the system refuses.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);

// Reads the regular file `path` into `contents`; false when it cannot be opened or read, is
// not a regular file, or is longer than `max_size`.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& contents,
                                 size_t max_size = kMaxDataFileSize);

// As ReadWholeFile(), but only when `relative_path` is relative and the file it names, with
// every link resolved, lies inside the folder `root`.
[[nodiscard]] bool ReadFileInside(const std::string& root, const std::string& relative_path,
                                  std::string& contents, size_t max_size = kMaxSkinFileSize);

// True when `relative_path` names a regular file inside `root` as ReadFileInside() requires.
bool IsRegularFileInside(const std::string& root, const std::string& relative_path);

// The path with every link and "." / ".." resolved; empty when it does not exist.
std::string RealPath(const std::string& path);
// True when the resolved path `inner` is `outer` or lies below it.
bool IsSameOrBelow(const std::string& inner, const std::string& outer);
// True for a folder; `follow_links` false: a link to a folder is no folder.
bool IsFolder(const std::string& path, bool follow_links = true);
// Creates the absolute folder `path` and its missing parents with mode 0700. Existing folders
// are taken as they are (also through a link the user made); true when `path` is a folder.
bool MakeFolders(const std::string& path);
// When the entry `name` in the open folder `folder` was made, in nanoseconds since 1970,
// without following a link; with an empty `name`, of the open file `folder` itself. 0 when the
// file system does not keep it. Unlike the inode number, it tells a file from a later one that
// got the number of a deleted one.
int64_t BirthTime(int folder, const std::string& name);
// True for a regular file (following links).
bool IsRegularFile(const std::string& path);

// The user's home folder as the environment names it ($HOME when it is absolute, else the
// user database), not resolved; empty when there is none.
std::string HomeFromEnvironment();
// A base folder of the desktop's conventions: the environment variable `variable` (such as
// "XDG_CACHE_HOME") when it is an absolute path, else `home` + "/" + `below_home`; empty when
// neither is absolute. A relative value is ignored, so nothing follows the current folder.
std::string XdgFolder(const char* variable, const std::string& home, const char* below_home);
// The mount points the kernel lists for this process (/proc/self/mountinfo), as resolved paths;
// empty when the list cannot be read.
std::vector<std::string> ListedMountPoints();
// The mount points of a mount table written as /proc/self/mountinfo writes it: the fifth field
// of each line, its \ooo escapes undone; lines with fewer fields are skipped.
std::vector<std::string> ParseMountInfo(std::string_view mountinfo);
// Where the listed mount points come from: ListedMountPoints() on the machine, a table of their
// own in tests.
using TMountTable = std::function<std::vector<std::string>()>;
// True when the resolved folder `path` is the root of a file system: "/", a folder on another
// device than the one above it, or a mount point `listed` names (a bind mount). `listed` is
// asked only when the devices do not tell.
bool IsMountRoot(const std::string& path, const TMountTable& listed = ListedMountPoints);

// The reason a system call failed with `error` (an errno value), in German as the log and the
// messages say it, for example "kein Platz mehr auf dem Datenträger".
std::string SystemErrorText(int error);
// Why the entry at `path` keeps a file (or with `folder_wanted` a folder) from being made
// there, for a message: "<path> ist eine Verknüpfung", "<path> ist ein Ordner", "<path> ist
// kein Ordner" or "<path> ist keine gewöhnliche Datei"; SystemErrorText(error) when no entry
// there is in the way.
std::string EntryInTheWay(const std::string& path, bool folder_wanted, int error);

// Writes `contents` to a new temporary file beside `path`, flushes it and renames it over
// `path`. On any failure the temporary file is removed, `path` is left as it was, and the
// result is false.
[[nodiscard]] bool WriteFileReplacing(const std::string& path, std::string_view contents);

}  // namespace vistrel
