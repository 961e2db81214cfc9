#include "support/trash.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "support/disk.h"
#include "support/paths.h"

namespace vistrel {

namespace {

// A trash holds at most this many entries of one name; past it the entry is refused.
constexpr int kMaxNameTries = 10000;
// The longest name a folder entry may have (in bytes), on every file system a trash lies on.
constexpr size_t kMaxNameBytes = NAME_MAX;
constexpr std::string_view kInfoSuffix = ".trashinfo";
// A shortened name keeps an extension up to this long, so file managers still know the type.
constexpr size_t kMaxKeptExtension = 16;

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The trash of this user at the top folder `top` of a file system, when no shared one is used.
std::string OwnTopTrash(const std::string& top) {
  return (top == "/" ? std::string() : top) + "/.Trash-" + std::to_string(::getuid());
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// The name of the `n`th try (from 1) to put the entry `name` into a trash: the name itself,
// then with ".2", ".3", ... after it. Its .trashinfo file must fit a folder entry as well, so a
// long name is cut (at a whole UTF-8 character, keeping a short extension); the trash keeps the
// original path in the .trashinfo file, and restoring uses that.
std::string TrashName(const std::string& name, int n) {
  const std::string number = n == 1 ? std::string() : "." + std::to_string(n);
  const size_t room = kMaxNameBytes - kInfoSuffix.size() - number.size();
  if (name.size() <= room) return name + number;
  const size_t dot = name.rfind('.');
  const std::string extension =
      dot != std::string::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension
          ? name.substr(dot)
          : std::string();
  size_t cut = room - extension.size();
  // Back to the start of a character: continuation bytes are 10xxxxxx.
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut) + extension + number;
}

}  // namespace

std::string MountRootOf(TDisk& disk, const std::string& path, const TMountTable& listed) {
  // The table is read once for the whole walk up, and only if a level needs it.
  std::optional<std::vector<std::string>> points;
  const TMountTable listed_once = [&] {
    if (!points) points = listed ? listed() : disk.ListedMountPoints();
    return *points;
  };
  std::string current = path;
  while (!disk.IsMountRoot(current, listed_once)) {
    if (!disk.IsFolder(current)) return {};
    current = ParentOf(current);
  }
  return current;
}

std::string EncodeTrashPath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool keep = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                      (byte >= '0' && byte <= '9') ||
                      std::string_view("/-_.!~*'()").find(c) != std::string_view::npos;
    if (keep) {
      encoded.push_back(c);
    } else {
      encoded.push_back('%');
      encoded.push_back(kHex[byte >> 4]);
      encoded.push_back(kHex[byte & 15]);
    }
  }
  return encoded;
}

TFreedesktopTrash::TFreedesktopTrash(TDisk& disk, std::string data_home, TTopFolderOf top_folder_of)
    : disk_(disk), data_home_(std::move(data_home)), top_folder_of_(std::move(top_folder_of)) {
  if (!top_folder_of_)
    top_folder_of_ = [this](const std::string& path) { return MountRootOf(disk_, path); };
  while (data_home_.size() > 1 && data_home_.back() == '/') data_home_.pop_back();
}

std::string TFreedesktopTrash::DataHomeFromEnvironment() {
  return XdgFolder("XDG_DATA_HOME", HomeFromEnvironment(), ".local/share");
}

std::string TFreedesktopTrash::HomeTrashPath() const {
  if (data_home_.empty() || data_home_.front() != '/' || !IsSystemPath(data_home_)) return {};
  return data_home_ + "/Trash";
}

bool TFreedesktopTrash::MakeOwnFolder(const std::string& path) const {
  if (const TDiskStatus made = disk_.MakeFolder(kByPath, path, 0700);
      !made.Ok() && made.Error() != EEXIST)
    return false;
  struct stat st;
  return disk_.Status(kByPath, path, false, st).Ok() && S_ISDIR(st.st_mode) &&
         st.st_uid == ::getuid();
}

bool TFreedesktopTrash::HasFilesAndInfo(const std::string& trash, bool own) const {
  for (const char* sub : {"/files", "/info"}) {
    const std::string folder = trash + sub;
    if (!(own ? MakeOwnFolder(folder) : disk_.MakeFolders(folder).Ok())) return false;
  }
  return true;
}

// The part of `path` that exists is resolved, and the rest, which MakeFolders would create as
// plain folders, is joined to it with its "." and ".." worked out.
bool TFreedesktopTrash::WouldLieIn(const std::string& path, const std::string& folder) const {
  if (folder.empty()) return false;
  std::string existing = path;
  std::string rest;
  std::string resolved;
  while (!existing.empty() && existing != "/" && (resolved = disk_.RealPath(existing)).empty()) {
    const size_t slash = existing.rfind('/');
    if (slash == std::string::npos) return false;
    rest = existing.substr(slash) + rest;
    existing = slash == 0 ? "/" : existing.substr(0, slash);
  }
  std::string whole = std::filesystem::path(resolved + rest).lexically_normal().string();
  while (whole.size() > 1 && whole.back() == '/') whole.pop_back();
  return IsSameOrBelow(whole.empty() ? "/" : whole, folder);
}

dev_t TFreedesktopTrash::DeviceOf(const std::string& path) const {
  struct stat st;
  return disk_.Status(kByPath, path, true, st).Ok() ? st.st_dev : static_cast<dev_t>(-1);
}

std::string TFreedesktopTrash::HomeTrash() const {
  const std::string trash = HomeTrashPath();
  if (trash.empty()) return {};
  return disk_.MakeFolders(trash).Ok() && HasFilesAndInfo(trash, false) ? trash : std::string();
}

std::string TFreedesktopTrash::TopTrash(const std::string& top) const {
  const std::string base = top == "/" ? std::string() : top;
  const std::string uid = std::to_string(::getuid());
  // An administrator's shared trash: a real folder with the sticky bit, one folder per user.
  const std::string shared = base + "/.Trash";
  struct stat st;
  if (disk_.Status(kByPath, shared, false, st).Ok() && S_ISDIR(st.st_mode) &&
      (st.st_mode & S_ISVTX)) {
    const std::string own = shared + "/" + uid;
    if (MakeOwnFolder(own) && HasFilesAndInfo(own, true)) return own;
  }
  const std::string own = OwnTopTrash(top);
  return MakeOwnFolder(own) && HasFilesAndInfo(own, true) ? own : std::string();
}

std::string TFreedesktopTrash::TrashHolding(const std::string& folder,
                                            const std::string& top) const {
  // The home trash may be reached through a link the user made; a trash at the top of a file
  // system is only one when it is a real folder (a link there is never used as a trash).
  if (const std::string home = HomeTrashPath();
      !home.empty() && IsSameOrBelow(folder, disk_.RealPath(home)))
    return home;
  if (top.empty()) return {};
  const std::string shared = (top == "/" ? std::string() : top) + "/.Trash";  // every $uid in it
  for (const std::string& trash : {shared, OwnTopTrash(top)})
    if (disk_.IsFolder(trash, false) && IsSameOrBelow(folder, trash)) return trash;
  return {};
}

bool TFreedesktopTrash::Find(const std::string& path, std::string& trash_folder, std::string& top,
                             std::string& reason) {
  struct stat st;
  if (!disk_.Status(kByPath, path, false, st).Ok()) {
    reason = "Der Eintrag " + path + " ist nicht mehr da.";
    return false;
  }
  const std::string parent = disk_.RealPath(ParentOf(path));
  if (found_ && !parent.empty() && found_->parent == parent && found_->device == st.st_dev) {
    trash_folder = found_->trash_folder;
    top = found_->top;
    return true;
  }
  if (!FindAnew(path, parent, st.st_dev, trash_folder, top, reason)) return false;
  found_ = TFound{parent, st.st_dev, trash_folder, top};
  return true;
}

bool TFreedesktopTrash::FindAnew(const std::string& path, const std::string& parent, dev_t device,
                                 std::string& trash_folder, std::string& top,
                                 std::string& reason) const {
  // A trash inside the entry's own folder is not made: the entry would not leave the folder,
  // and the folder would gain the trash.
  auto inside = [&](const std::string& trash) {
    if (!WouldLieIn(trash, parent)) return false;
    reason = "Der Papierkorb " + trash + " liegt im Verzeichnis selbst.";
    return true;
  };
  const std::string home_path = HomeTrashPath();
  const std::string parent_top = parent.empty() ? std::string() : top_folder_of_(parent);
  // An entry that is in a trash already would be trashed a second time, and the trash's
  // record of where it came from would be lost.
  if (const std::string holder = TrashHolding(parent, parent_top); !holder.empty()) {
    reason = "Das Verzeichnis " + parent + " liegt im Papierkorb " + holder + ".";
    return false;
  }
  if (!home_path.empty() && inside(home_path)) return false;
  const std::string home = HomeTrash();
  if (!home.empty() && DeviceOf(home + "/files") == device) {
    trash_folder = home;
    top.clear();
    return true;
  }
  top = parent_top;
  // The trash at the top of a file system lies in the folder of the entries at the top.
  if (!top.empty() && inside(OwnTopTrash(top))) return false;
  const std::string trash = top.empty() ? std::string() : TopTrash(top);
  if (!trash.empty() && DeviceOf(trash + "/files") == device) {
    trash_folder = trash;
    return true;
  }
  reason = "Kein Papierkorb kann " + path + " aufnehmen.";
  return false;
}

bool TFreedesktopTrash::Locate(const std::string& path, std::string& trash_folder,
                               std::string& reason) {
  found_.reset();  // looked for anew: the trash may have changed since
  std::string top;
  return Find(path, trash_folder, top, reason);
}

bool TFreedesktopTrash::Move(const std::string& path, TTrashed& trashed, std::string& reason) {
  std::string trash;
  std::string top;
  if (!Find(path, trash, top, reason)) return false;
  // The original path as the trash records it: absolute for the home trash, relative to the
  // top folder for the trash at the top of another file system.
  const std::string original = disk_.RealPath(ParentOf(path)) + "/" + BaseNameOf(path);
  std::string recorded = original;
  if (!top.empty() && IsSameOrBelow(original, top))
    recorded = original.substr(top == "/" ? 1 : top.size() + 1);
  const std::string info_text =
      "[Trash Info]\nPath=" + EncodeTrashPath(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
  const std::string name = BaseNameOf(path);
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string candidate = TrashName(name, n);
    const std::string info_path = trash + "/info/" + candidate + std::string(kInfoSuffix);
    const std::string files_path = trash + "/files/" + candidate;
    // The info file is created exclusively first: it reserves the name against other programs
    // trashing at the same time.
    TFd info;
    if (const TDiskStatus created = disk_.Open(kByPath, info_path, TOpen::kCreate, info, 0600);
        !created.Ok()) {
      if (created.Error() == EEXIST) continue;
      reason = "Der Papierkorb " + trash + " nimmt nichts auf (" +
               SystemErrorText(created.Error()) + ").";
      return false;
    }
    if (disk_.Exists(files_path)) {  // an entry left without its info file
      (void)disk_.Remove(kByPath, info_path);
      continue;
    }
    TDiskStatus moved = disk_.Write(info.get(), info_text);
    if (const TDiskStatus closed = disk_.Close(info); moved.Ok()) moved = closed;
    if (moved.Ok()) moved = disk_.Rename(kByPath, path, kByPath, files_path, /*replace=*/false);
    if (!moved.Ok()) {
      (void)disk_.Remove(kByPath, info_path);
      reason = path + " kann nicht in den Papierkorb verschoben werden (" +
               SystemErrorText(moved.Error()) + ").";
      return false;
    }
    trashed = {path, files_path, info_path};
    return true;
  }
  reason = "Der Papierkorb " + trash + " hat keinen freien Namen für " + name + ".";
  return false;
}

bool TFreedesktopTrash::Restore(const TTrashed& trashed) {
  if (!disk_.Rename(kByPath, trashed.files_path, kByPath, trashed.original, /*replace=*/false).Ok())
    return false;
  (void)disk_.Remove(kByPath, trashed.info_path);
  return true;
}

}  // namespace vistrel
