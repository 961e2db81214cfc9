#include "support/file_operations.h"

#include <fnmatch.h>
#include <unistd.h>

#include <vector>

#include "support/disk.h"
#include "support/paths.h"
#include "support/trash.h"

namespace vistrel {

namespace {

// Folders nested deeper than this are not looked through, and their folder is not emptied.
constexpr int kMaxCheckDepth = 256;

// Checks every entry below the open folder `folder_fd` (at `path`): false, with the reason,
// when one lies on another device than `device`. Moving the folder would carry the file system
// mounted there into the trash, and emptying the trash later would delete what is on it.
bool AllOnDevice(TDisk& disk, int folder_fd, const std::string& path, dev_t device, int depth,
                 std::string& reason) {
  if (depth > kMaxCheckDepth) {
    reason = "Der Ordner " + path + " ist zu tief verschachtelt.";
    return false;
  }
  for (const std::string& name : disk.ListFolder(folder_fd)) {
    const std::string entry = path + "/" + name;
    struct stat st;
    if (!disk.Status(folder_fd, name, false, st).Ok()) continue;
    if (st.st_dev != device) {
      reason = entry + " ist ein eingehängtes Dateisystem.";
      return false;
    }
    if (!S_ISDIR(st.st_mode)) continue;
    // A folder that cannot be opened is moved as it is; mounts the kernel lists anywhere below
    // the folder are refused by the request already.
    TFd sub;
    if (disk.Open(folder_fd, name, TOpen::kFolder, sub).Ok() &&
        !AllOnDevice(disk, sub.get(), entry, device, depth + 1, reason))
      return false;
  }
  return true;
}

bool MatchesPattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

// Whether every entry of `entries` (in `folder`, on `device`) may be moved to the trash: none is
// or holds a mount, the folder lets entries go, and each folder among them may be moved.
bool AllMovable(TDisk& disk, const std::string& folder, const std::vector<std::string>& entries,
                dev_t device, std::string& reason) {
  if (!entries.empty() && !disk.Access(folder, W_OK | X_OK).Ok()) {
    reason = "Im Verzeichnis " + folder + " darf nichts verschoben werden.";
    return false;
  }
  for (const std::string& entry : entries) {
    struct stat st;
    if (!disk.Status(kByPath, entry, false, st).Ok()) continue;
    if (st.st_dev != device) {
      reason = entry + " ist ein eingehängtes Dateisystem.";
      return false;
    }
    // Moving a folder rewrites its "..", which needs write permission on the folder itself.
    if (S_ISDIR(st.st_mode) && !disk.Access(entry, W_OK).Ok()) {
      reason = entry + " darf nicht verschoben werden.";
      return false;
    }
    if (S_ISDIR(st.st_mode)) {
      TFd sub;
      if (disk.OpenFolder(entry, sub, /*follow_links=*/false).Ok() &&
          !AllOnDevice(disk, sub.get(), entry, device, 1, reason))
        return false;
    }
  }
  return true;
}

// Moves every entry to `trash`, each of which must leave its folder; when one cannot be moved,
// those moved before it are put back, so the folder is emptied completely or not at all.
bool MoveAllOrNone(TDisk& disk, TTrash& trash, const std::vector<std::string>& entries,
                   std::string& reason) {
  std::vector<TTrash::TTrashed> moved;
  for (const std::string& entry : entries) {
    TTrash::TTrashed trashed;
    const bool ok = trash.Move(entry, trashed, reason);
    if (ok) moved.push_back(trashed);
    if (!ok || disk.Exists(entry)) {
      if (ok) reason = entry + " hat das Verzeichnis nicht verlassen.";
      // Put back what can be put back; an entry whose place was taken meanwhile stays in the
      // trash, where nothing is lost.
      for (auto it = moved.rbegin(); it != moved.rend(); ++it) (void)trash.Restore(*it);
      return false;
    }
  }
  return true;
}

}  // namespace

bool ShellFileOperation(TDisk& disk, const std::string& path, TFileOperation operation,
                        TTrash& trash, std::string& reason) {
  if (operation != TFileOperation::kDelete || !IsSystemPath(path)) return false;
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return false;  // only a path says which folder is meant
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  const std::string pattern = path.substr(slash + 1);
  const std::string resolved = disk.RealPath(folder);
  struct stat folder_st;
  if (resolved.empty() || !disk.Status(kByPath, folder, true, folder_st).Ok()) {
    reason = "Das Verzeichnis " + folder + " ist nicht lesbar.";
    return false;
  }
  const std::string prefix = folder == "/" ? "/" : folder + "/";

  // Everything is checked before anything moves: each entry must be movable, and the trash
  // must lie outside the folder.
  std::vector<std::string> entries;
  for (const std::string& name : disk.ListFolder(folder))
    if (MatchesPattern(pattern, name)) entries.push_back(prefix + name);
  if (!AllMovable(disk, folder, entries, folder_st.st_dev, reason)) return false;
  // Every entry lies in the folder, on its device, so one trash takes them all.
  if (!entries.empty()) {
    std::string trash_folder;
    if (!trash.Locate(entries.front(), trash_folder, reason)) return false;
    if (IsSameOrBelow(disk.RealPath(trash_folder), resolved)) {
      reason = "Der Papierkorb " + trash_folder + " liegt im Verzeichnis selbst.";
      return false;
    }
  }
  return MoveAllOrNone(disk, trash, entries, reason);
}

bool EmptyDirectory(TDisk& disk, const std::string& directory, TTrash& trash, std::string& reason) {
  std::string pattern = directory;
  if (pattern.empty() || pattern.back() != '/') pattern.push_back('/');
  pattern += "*.*";
  return ShellFileOperation(disk, pattern, TFileOperation::kDelete, trash, reason);
}

}  // namespace vistrel
