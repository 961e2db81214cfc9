// The output folder of one gallery run: where every generated file is named and created.
//
// Each generated file (image variant, copy of a source image, page) gets its name by the naming
// rule of file_naming.h and is created here at once, exclusively and without following links,
// so that nothing existing is ever overwritten or written through. A name that is absolute,
// whose result would lie outside the folder (through ".."), or that holds a NUL is refused.
// Folders that a name passes through are created inside the output folder as needed; a link
// met on the way is never followed.
//
// The folder remembers every file it created and whether it was finished. Files created here
// can be reopened for writing (OpenCreated) and removed (Remove), both only while the entry is
// still the very file that was created; RemoveUnfinished() takes away what a run reserved or
// began and did not complete. A run brackets its work with BeginRun() and EndRun(): every file
// is noted in the run's journal (run_journal.h) before it is made, so when a run dies, the next
// run into the folder removes what it left unfinished. The folder's manifest (manifest_keeper.h)
// names what the runs wrote, so that a run that updates the gallery (SetUpdate) replaces it in
// place.
//
// What the folder refuses is told apart: a name the file system will not take (too long,
// characters it does not allow) fails that one file (kFailed), while a refusal of the folder
// itself (no space, no permission, a file or link where a folder must be) throws EOutputError
// naming the file and the reason, since no other file would fare better.
//
// Everything the folder does goes through the run's disk. Create() and CreateNamed() belong to
// the run's thread; the other operations may be called from any thread.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "generation/manifest_keeper.h"
#include "generation/run_journal.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/output_file.h"
#include "template/page_folder.h"

namespace vistrel {

// True when the unnumbered name that `pattern` gives for `old_name` and `extension` is a
// relative path that stays inside the folder and holds no NUL. Numbering never changes that.
bool IsNameInsideFolder(const std::string& pattern, const std::string& old_name,
                        const std::string& extension);

class TOutputFolder : public TPageFolder {
 public:
  // `directory` is the output folder with its trailing "/"; it must exist. `disk` must outlive
  // the folder.
  TOutputFolder(TDisk& disk, std::string directory);
  ~TOutputFolder() override;
  TOutputFolder(const TOutputFolder&) = delete;
  TOutputFolder& operator=(const TOutputFolder&) = delete;

  const std::string& Directory() const override { return directory_; }

  // Clears what dead runs left here and starts this run's journal. The system's error when the
  // folder takes no file (it cannot be opened, or no file can be made in it).
  TDiskStatus BeginRun();
  // Once the gallery is complete: writes the folder's manifest, naming what the run made; the
  // system's error when it cannot be written (there is then no manifest).
  TDiskStatus WriteManifest();
  // Removes every file created here and not finished, writes the folder's manifest (unless
  // WriteManifest() did) and ends the run's journal.
  void EndRun();

  // Before BeginRun(): the identity of the gallery's settings for the manifest, and that this
  // run replaces the gallery the folder's manifest names (see manifest_keeper.h).
  void SetGalleryId(std::string id) { keeper_.SetGalleryId(std::move(id)); }
  void SetUpdate(TTrash& trash, TManifestKeeper::TNote note);
  // Whether the entry `relative` may be replaced by a file of this run: a dead run's finished
  // file, or, when updating, anything in the way but a folder.
  bool Replaceable(std::string_view relative);
  // The file `relative` is there with the very `bytes` the run would write: it is the run's.
  void Kept(const std::string& relative, std::string_view bytes);
  // Updating, once the gallery is complete: the old gallery's files not made again go.
  void ReplaceOldGallery();
  // Whether `path` was created here and finished.
  bool IsFinished(const std::string& path);

  // Names a new file as MakeUniqueFileName() does (a name handed out earlier counts as taken)
  // and creates it empty. On kCreated `path` is its full path; on kFailed it is the name tried
  // (empty when no number was free) and errno says why. Throws EOutputError when the folder
  // refuses the file.
  [[nodiscard]] TResult Create(const std::string& pattern, const std::string& old_name,
                               const std::string& extension, std::string& path) override;
  // Creates the file at the path `relative` (no number added) empty, and returns its full
  // path. Throws EOutputError when it cannot be made, also when any entry has that name.
  std::string CreateNamed(const std::string& relative);

  TOutputFile OpenCreated(const std::string& path) override;
  void Finish(TOutputFile& file) override;

  // Removes a file created here (finished or not); false when it is not there any more as the
  // file that was created.
  [[nodiscard]] bool Remove(const std::string& path);
  // Removes every file created here and not finished; returns how many.
  int RemoveUnfinished();

  // The folder holding `relative` (creating missing folders with `create`, following no link);
  // see TDisk::OpenParentFolder(). `failed` is the full path of a folder on the way that
  // failed.
  TDiskStatus OpenParent(std::string_view relative, bool create, TParentFolder& parent,
                         std::string* failed = nullptr) const;

 private:
  struct TCreated {
    dev_t device;
    ino_t inode;
    bool finished;
  };

  // Creates the file `path` empty and exclusively, noted in the journal first. Success, or the
  // system's error with `blocker` the folder on the way that failed (empty when the file
  // itself failed; EEXIST then means that the name is taken).
  TDiskStatus MakeFile(const std::string& path, std::string& blocker);
  // The output folder itself, opened once when it is first needed (it exists by then); -1,
  // with root_error_ saying why, when it cannot be opened.
  int RootFd() const;
  std::string_view Relative(const std::string& path) const {
    return std::string_view(path).substr(directory_.size());
  }

  TDisk& disk_;
  std::string directory_;
  TUniqueNamer namer_;
  mutable std::once_flag root_once_;
  mutable TFd root_;
  mutable int root_error_ = 0;
  TRunJournal journal_;
  TManifestKeeper keeper_{disk_, directory_, journal_};
  bool manifest_written_ = false;  // by WriteManifest(), which EndRun() then leaves be
  std::mutex mutex_;               // guards created_
  std::unordered_map<std::string, TCreated> created_;
};

}  // namespace vistrel
