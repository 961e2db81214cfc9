// The disk: every file the program reads and every effect it has on files and folders goes
// through a TDisk, so that a test can stand in for the machine (a full disk, a folder that
// refuses files, a journal that cannot be written), as ninja's DiskInterface and LevelDB's Env
// do for their programs.
//
// The virtual functions are the primitives, one system call's worth each, and their shape keeps
// the program's safety: a file or folder is named relative to a folder the caller holds open
// (a TFd), or by its absolute path with kByPath; no open follows a link unless its TOpen says
// so, and none blocks on a FIFO or a device; a new file is always created exclusively; reading
// stops past a size limit; a name holding a NUL is refused (EINVAL) before it reaches the
// system, which would cut it there. TSystemDisk (system_disk.h) makes the primitives on the
// machine and is the only place of the program that does; a test's disk may fail any of them.
// The non-virtual functions are built on the primitives (read a whole file, open the folder of
// a path below a held one, make a folder with its parents), so whoever stands in for the disk
// sees every step.
//
// Every operation that can fail returns a TDiskStatus, which the caller must look at; a caller
// that does not care (a clean-up that may fail) says so with a cast to void. Implementations
// may be called from several threads at once.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Owns a POSIX file descriptor and closes it when it goes (without looking at the result; a
// file whose closing matters is closed through TDisk::Close()).
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

// The outcome of an operation on the disk: success, or the system's error (an errno value).
class [[nodiscard]] TDiskStatus {
 public:
  TDiskStatus() = default;
  explicit TDiskStatus(int error) : error_(error) {}
  bool Ok() const { return error_ == 0; }
  int Error() const { return error_; }

 private:
  int error_ = 0;
};

// How a file or folder is opened. Every open closes on exec.
enum class TOpen {
  kFolder,           // a folder, not through a link
  kFolderFollowing,  // a folder, also through links (a folder the user named)
  kRead,             // for reading, not through a link
  kReadFollowing,    // for reading, also through links (a photo or list the user named)
  kWrite,            // an existing file for writing, from its start, not through a link
  kCreate,           // a new file for writing: exclusively, never through a link
};

// The folder argument that says the name is a path of its own: absolute, or taken from the
// current folder as the system takes it.
inline constexpr int kByPath = -100;

// Files read whole are refused past a size: what comes from strangers must not take the
// machine's memory. A skin's files (skin file, tables, templates) are small text; no sensible
// one comes near 32 MB. Photos and image lists may be large, but not beyond 1 GB.
inline constexpr size_t kMaxSkinFileSize = 32u * 1024 * 1024;
inline constexpr size_t kMaxDataFileSize = 1024u * 1024 * 1024;

// A folder reached below a held one: its descriptor (the held folder itself, or the one that
// `opened` owns) and the last part of the path, the name inside it.
struct TParentFolder {
  int fd = -1;
  std::string leaf;
  TFd opened;
};

// Where the listed mount points come from: TDisk::ListedMountPoints() on the machine, a table
// of their own in tests.
using TMountTable = std::function<std::vector<std::string>()>;

class TDisk {
 public:
  virtual ~TDisk() = default;

  // --- Primitives ---

  // Opens `name` in `folder` as `how` says into `fd`; a new file (kCreate) gets `permissions`.
  // Opening for reading takes any kind of entry: the caller checks that it is a regular file
  // (ReadFileAt() does).
  virtual TDiskStatus Open(int folder, const std::string& name, TOpen how, TFd& fd,
                           mode_t permissions = 0600) = 0;
  // The status of `name` in `folder` (of the link itself, unless `follow_links`); with an
  // empty name, of the open file `folder` itself.
  virtual TDiskStatus Status(int folder, const std::string& name, bool follow_links,
                             struct stat& status) = 0;
  // Appends up to `count` bytes of the open file `fd` to `into`; fewer only at the file's end.
  virtual TDiskStatus Read(int fd, size_t count, std::string& into) = 0;
  // Writes all of `bytes` to the open file `fd`.
  virtual TDiskStatus Write(int fd, std::string_view bytes) = 0;
  // Closes `fd`, saying whether what was written reached the file (the descriptor is gone
  // either way).
  virtual TDiskStatus Close(TFd& fd) = 0;
  // Cuts the open file `fd` to nothing.
  virtual TDiskStatus Truncate(int fd) = 0;
  // Waits until what was written to `fd` is on the disk.
  virtual TDiskStatus Sync(int fd) = 0;
  virtual TDiskStatus SetPermissions(int fd, mode_t permissions) = 0;
  // Sets the times of the open file `fd` to now.
  virtual TDiskStatus Touch(int fd) = 0;
  // Takes the exclusive advisory lock (flock) of the open file or folder `fd`; without `wait`
  // EWOULDBLOCK when another holds it. The system lets it go when the descriptor is closed.
  virtual TDiskStatus Lock(int fd, bool wait) = 0;
  virtual TDiskStatus Unlock(int fd) = 0;
  virtual TDiskStatus MakeFolder(int folder, const std::string& name, mode_t permissions) = 0;
  // Removes the file (or link, never a folder) `name` in `folder`.
  virtual TDiskStatus Remove(int folder, const std::string& name) = 0;
  // Removes the folder `name` in `folder` when it is empty (ENOTEMPTY when it is not; a link
  // is no folder).
  virtual TDiskStatus RemoveEmptyFolder(int folder, const std::string& name) = 0;
  // Renames an entry within a file system; without `replace` EEXIST when the new name is taken.
  virtual TDiskStatus Rename(int from_folder, const std::string& from, int to_folder,
                             const std::string& to, bool replace) = 0;
  // The names in the open folder `folder`, sorted by their bytes, without "." and "..".
  virtual TDiskStatus List(int folder, std::vector<std::string>& names) = 0;
  // Whether the user may do `mode` (R_OK, W_OK, X_OK) on `path`.
  virtual TDiskStatus Access(const std::string& path, int mode) = 0;
  // When the entry `name` in `folder` was made, in nanoseconds since 1970, without following
  // a link; with an empty name, of the open file `folder` itself. 0 when the file system does
  // not keep it. Unlike the inode number, it tells a file from a later one that got the
  // number of a deleted one.
  virtual int64_t BirthTime(int folder, const std::string& name) = 0;
  // The path with every link and "." / ".." resolved; empty when it does not exist.
  virtual std::string RealPath(const std::string& path) = 0;
  // The resolved path of the open file `fd` as the system knows it, or empty.
  virtual std::string PathOf(int fd) = 0;

  // --- Built on the primitives ---

  TDiskStatus OpenFolder(const std::string& path, TFd& fd, bool follow_links = true);
  // The folder that holds the last part of `relative` below the open folder `root`, reached
  // without following any link; see TParentFolder. With `create`, missing folders on the way
  // are made (mode 0755). On failure `failed` (when given) is `relative` up to the folder on
  // the way that could not be made or opened.
  TDiskStatus OpenParentFolder(int root, std::string_view relative, bool create,
                               TParentFolder& parent, std::string* failed = nullptr);
  // Reads what is left of the open file `fd` into `contents` (EFBIG, and nothing, when it is
  // longer than `max_size`).
  TDiskStatus ReadRest(int fd, std::string& contents, size_t max_size);
  // Reads the regular file `name` in `folder` (never through a link) into `contents`.
  TDiskStatus ReadFileAt(int folder, const std::string& name, std::string& contents,
                         size_t max_size = kMaxDataFileSize);
  // Reads the regular file at `path` (also through links) into `contents`; a folder, a FIFO
  // or a device is refused without blocking.
  TDiskStatus ReadFile(const std::string& path, std::string& contents,
                       size_t max_size = kMaxDataFileSize);
  // As ReadFile(), but only the first `count` bytes (fewer when the file is shorter).
  TDiskStatus ReadFileStart(const std::string& path, size_t count, std::string& contents);
  // As ReadFile(), but only when `relative_path` is relative and the file it names, with every
  // link resolved, lies inside the folder `root`.
  TDiskStatus ReadFileInside(const std::string& root, const std::string& relative_path,
                             std::string& contents, size_t max_size = kMaxSkinFileSize);
  // True when `relative_path` names a regular file inside `root` as ReadFileInside() requires.
  bool IsRegularFileInside(const std::string& root, const std::string& relative_path);
  // Writes `contents` to a new temporary file beside `path`, flushes it and renames it over
  // `path`. On any failure the temporary file is removed and `path` is left as it was.
  TDiskStatus WriteFileReplacing(const std::string& path, std::string_view contents);
  // Creates the absolute folder `path` and its missing parents with `permissions` (less what
  // the umask takes). Existing folders are taken as they are (also through a link the user
  // made); on success `path` is a folder.
  TDiskStatus MakeFolders(const std::string& path, mode_t permissions = 0700);

  // The names in a folder (an open one, or by path), sorted by their bytes, without "." and
  // ".."; empty when the folder cannot be read.
  std::vector<std::string> ListFolder(int folder);
  std::vector<std::string> ListFolder(const std::string& path);
  // True for a folder; `follow_links` false: a link to a folder is no folder.
  bool IsFolder(const std::string& path, bool follow_links = true);
  // True for a regular file (following links).
  bool IsRegularFile(const std::string& path);
  // True when there is an entry at `path`, a dangling link too.
  bool Exists(const std::string& path);
  // True when the resolved folder `path` is the root of a file system: "/", a folder on
  // another device than the one above it, or a mount point `listed` names (a bind mount; by
  // default the ones the kernel lists). `listed` is asked only when the devices do not tell.
  bool IsMountRoot(const std::string& path, const TMountTable& listed = {});
  // The mount points the kernel lists for this process (/proc/self/mountinfo), as resolved
  // paths; empty when the list cannot be read.
  std::vector<std::string> ListedMountPoints();
  // Why the entry at `path` keeps a file (or with `folder_wanted` a folder) from being made
  // there, for a message: "<path> ist eine Verknüpfung", "<path> ist ein Ordner", "<path> ist
  // kein Ordner" or "<path> ist keine gewöhnliche Datei"; SystemErrorText(error) when no entry
  // there is in the way.
  std::string EntryInTheWay(const std::string& path, bool folder_wanted, int error);
};

// The machine's own disk, for callers that are not handed another one (the windows, the
// command line, the image adapters). It holds no state.
TDisk& SystemDisk();

// The mount points of a mount table written as /proc/self/mountinfo writes it: the fifth field
// of each line, its \ooo escapes undone; lines with fewer fields are skipped.
std::vector<std::string> ParseMountInfo(std::string_view mountinfo);

// The reason a system call failed with `error` (an errno value), in German as the log and the
// messages say it, for example "kein Platz mehr auf dem Datenträger".
std::string SystemErrorText(int error);

}  // namespace vistrel
