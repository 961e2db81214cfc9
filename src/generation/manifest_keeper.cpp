#include "generation/manifest_keeper.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "support/content_hash.h"
#include "support/output_file.h"
#include "support/trash.h"

namespace vistrel {

namespace {

int64_t ModifiedTime(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

TManifestKeeper::TManifestKeeper(TDisk& disk, const std::string& directory, TRunJournal& journal)
    : disk_(disk), directory_(directory), journal_(journal) {}

void TManifestKeeper::SetUpdate(TTrash& trash, TNote note) {
  trash_ = &trash;
  note_ = std::move(note);
}

void TManifestKeeper::Begin(int root) {
  std::string text;
  if (!disk_.ReadFileAt(root, std::string(kManifestName), text, kMaxManifestSize).Ok()) return;
  std::optional<TGalleryManifest> manifest = ParseManifest(text);
  if (!manifest) return;
  had_manifest_ = true;
  if (id_.empty()) id_ = manifest->id;
  for (TManifestEntry& entry : manifest->entries) {
    TParentFolder parent;
    struct stat st;
    // A file that is gone, or became a folder or a link, is no longer the gallery's.
    if (!disk_.OpenParentFolder(root, entry.name, false, parent).Ok() ||
        !disk_.Status(parent.fd, parent.leaf, false, st).Ok() || !S_ISREG(st.st_mode))
      continue;
    // What a dead run finished under this name is the gallery's as it is now.
    if (journal_.Inherits(entry.name)) {
      old_.emplace(entry.name, entry);
      continue;
    }
    bool same = st.st_size == entry.size;
    if (same && ModifiedTime(st) != entry.modified) {
      // Copied or restored with new times: the bytes decide.
      std::string bytes;
      same =
          disk_.ReadFileAt(parent.fd, parent.leaf, bytes, static_cast<size_t>(entry.size)).Ok() &&
          Hash64(bytes) == entry.checksum;
      if (same) entry.modified = ModifiedTime(st);
    }
    if (!same) changed_.insert(entry.name);
    if (same && Updating())
      journal_.Inherit(entry.name, {st.st_dev, st.st_ino, disk_.BirthTime(parent.fd, parent.leaf),
                                    st.st_size, ModifiedTime(st)});
    old_.emplace(entry.name, std::move(entry));
  }
}

bool TManifestKeeper::MayMoveAside(int root, std::string_view relative) const {
  if (!Updating() || root < 0) return false;
  TParentFolder parent;
  struct stat st;
  return disk_.OpenParentFolder(root, relative, false, parent).Ok() &&
         disk_.Status(parent.fd, parent.leaf, false, st).Ok() && !S_ISDIR(st.st_mode);
}

void TManifestKeeper::NoteTrashed(const std::string& relative, bool changed) {
  if (!note_) return;
  const std::string path = directory_ + relative;
  note_(changed ? "Die Datei " + path +
                      " wurde seit der letzten Erzeugung geändert und liegt jetzt im Papierkorb."
                : "Die Datei " + path +
                      " stand einer Datei der Galerie im Weg und liegt jetzt im Papierkorb.");
}

void TManifestKeeper::MoveAside(std::string_view relative) {
  const std::string name = NormalizeRelativeName(relative);
  const std::string path = directory_ + name;
  TTrash::TTrashed trashed;
  std::string reason;
  if (!trash_ || !trash_->Move(path, trashed, reason)) {
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    throw EOutputError(path, "die vorhandene Datei kann nicht in den Papierkorb: " + reason);
  }
  NoteTrashed(name, old_.count(name) > 0);
  gone_.insert(name);
}

void TManifestKeeper::Written(std::string_view relative, int64_t size, int64_t modified,
                              uint64_t checksum) {
  std::string name = NormalizeRelativeName(relative);
  std::lock_guard lock(mutex_);
  written_[name] = {name, size, modified, checksum};
}

void TManifestKeeper::Removed(std::string_view relative) {
  std::lock_guard lock(mutex_);
  written_.erase(NormalizeRelativeName(relative));
}

void TManifestKeeper::ReplaceOldGallery(int root) {
  if (!Updating() || root < 0) return;
  std::vector<std::string> names;
  for (const auto& [name, entry] : old_)
    if (!written_.count(name) && !gone_.count(name)) names.push_back(name);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    TParentFolder parent;
    if (!disk_.OpenParentFolder(root, name, false, parent).Ok()) continue;
    if (changed_.count(name)) {
      TTrash::TTrashed trashed;
      std::string reason;
      // A changed file the trash does not take stays where it is, still named here.
      if (!trash_->Move(directory_ + name, trashed, reason)) continue;
      NoteTrashed(name, true);
    } else if (!journal_.TakeOver(name, parent.fd, parent.leaf)) {
      continue;  // changed in the meantime: it stays
    }
    gone_.insert(name);
  }
  RemoveEmptiedFolders(root, names);
}

void TManifestKeeper::RemoveEmptiedFolders(int root, const std::vector<std::string>& gone) {
  // Deepest first, so a folder that held only an emptied folder goes too. A folder that still
  // holds anything, the user's files or the new gallery's, refuses to go and stays.
  std::set<std::string, std::greater<>> folders;
  for (const std::string& name : gone) {
    if (!gone_.count(name)) continue;
    for (size_t slash = name.rfind('/'); slash != std::string::npos && slash > 0;
         slash = name.rfind('/', slash - 1))
      folders.insert(name.substr(0, slash));
  }
  for (const std::string& folder : folders) {
    TParentFolder parent;
    if (disk_.OpenParentFolder(root, folder, false, parent).Ok())
      (void)disk_.RemoveEmptyFolder(parent.fd, parent.leaf);  // not empty: it stays
  }
}

TDiskStatus TManifestKeeper::End(int root) {
  if (root < 0) return TDiskStatus();
  TGalleryManifest manifest;
  manifest.id = id_;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [name, entry] : written_) manifest.entries.push_back(entry);
  }
  for (const auto& [name, entry] : old_) {
    if (written_.count(name) || gone_.count(name)) continue;
    TParentFolder parent;
    struct stat st;
    if (disk_.OpenParentFolder(root, name, false, parent).Ok() &&
        disk_.Status(parent.fd, parent.leaf, false, st).Ok() && S_ISREG(st.st_mode))
      manifest.entries.push_back(entry);
  }
  if (manifest.entries.empty() && !had_manifest_) return TDiskStatus();  // no gallery to name
  std::sort(manifest.entries.begin(), manifest.entries.end(),
            [](const TManifestEntry& a, const TManifestEntry& b) { return a.name < b.name; });
  const TDiskStatus written =
      disk_.WriteFileReplacing(directory_ + std::string(kManifestName), FormatManifest(manifest));
  if (!written.Ok()) (void)disk_.Remove(root, std::string(kManifestName));
  return written;
}

}  // namespace vistrel
