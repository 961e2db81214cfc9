// The manifest of the output folder during one run (gallery_manifest.h), and the replacing of
// the gallery it names when the run updates that gallery.
//
// Every run reads the folder's manifest when it begins and writes it anew when it ends: the
// files this run finished (Written, Kept), and the files of earlier runs that it did not make
// again and that are still there, as they were noted. A run that is cancelled or fails thus
// leaves a manifest that still names everything of the gallery's in the folder. The manifest is
// replaced in one rename; when it cannot be written the old one is removed, since a manifest
// that no longer tells the truth would make the next update take new files for changed ones.
//
// A run that updates (SetUpdate) replaces the old gallery instead of writing beside it:
//   - a file the manifest names and that is still as it was written (same size and time, or
//     the same checksum) is handed to the run's journal as inherited (TRunJournal::Inherit), so
//     the run replaces it under its plain name, as it replaces what a dead run finished;
//   - anything else in the way of a name the run needs (a file the user changed since, a file
//     of their own, a link; never a folder) goes to the trash first (MoveAside), with a note;
//   - once the gallery is complete (ReplaceOldGallery), the old gallery's files that were not
//     made again go: unchanged ones are removed, changed ones go to the trash with a note, and
//     a folder they leave empty goes too.
// The user's own files that are in no one's way stay where they are.
//
// Owned by the run's output folder; the run's thread only, except Written(), which the image
// threads call too.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "generation/gallery_manifest.h"
#include "generation/run_journal.h"
#include "support/disk.h"

namespace vistrel {

class TTrash;

class TManifestKeeper {
 public:
  using TNote = std::function<void(const std::string& line)>;

  // `directory` is the output folder with its trailing "/"; it, `disk` and `journal` outlive
  // this.
  TManifestKeeper(TDisk& disk, const std::string& directory, TRunJournal& journal);

  // The identity of the gallery's settings, written into the manifest; when empty, the one the
  // folder's manifest had stays.
  void SetGalleryId(std::string id) { id_ = std::move(id); }
  // The run replaces the gallery of the folder's manifest, moving what is in its way to
  // `trash` (which outlives this) and telling each such file to `note`.
  void SetUpdate(TTrash& trash, TNote note);
  bool Updating() const { return trash_ != nullptr; }

  // Reads the manifest of the open folder `root`, after the journal has started.
  void Begin(int root);
  // Updating only: whether the entry `relative` that is in the way of a name may be moved to
  // the trash (anything but a folder).
  bool MayMoveAside(int root, std::string_view relative) const;
  // Moves the entry `relative` to the trash with a note; throws EOutputError naming it when
  // no trash takes it.
  void MoveAside(std::string_view relative);

  // A file the run finished (`modified` in ns since 1970, `checksum` the Hash64 of its bytes),
  // or found there with the very bytes it would have written.
  void Written(std::string_view relative, int64_t size, int64_t modified, uint64_t checksum);
  // A file the run made and took away again (a failed image's).
  void Removed(std::string_view relative);

  // Updating only, once the gallery is complete: removes or trashes the old gallery's files
  // that the run did not make again.
  void ReplaceOldGallery(int root);
  // Writes the manifest into the open folder `root`; when it cannot be written, no manifest is
  // left there (an old one would name files that are gone) and the system's error is returned.
  // Nothing to name and no manifest before: nothing is written.
  TDiskStatus End(int root);

 private:
  // Removes the folders of the old gallery's files `gone` that are empty now.
  void RemoveEmptiedFolders(int root, const std::vector<std::string>& gone);
  // The note for a file moved to the trash.
  void NoteTrashed(const std::string& relative, bool changed);

  TDisk& disk_;
  const std::string& directory_;
  TRunJournal& journal_;
  std::string id_;
  TTrash* trash_ = nullptr;
  TNote note_;
  bool had_manifest_ = false;
  // The old manifest's files still in the folder, by name, as the manifest noted them; and
  // which of them the user changed since.
  std::unordered_map<std::string, TManifestEntry> old_;
  std::unordered_set<std::string> changed_;
  std::mutex mutex_;  // guards written_
  std::unordered_map<std::string, TManifestEntry> written_;
  std::unordered_set<std::string> gone_;  // old files removed or moved aside by this run
};

}  // namespace vistrel
