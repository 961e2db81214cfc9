// The journal of a gallery run: the files a run has reserved in its output folder, and which of
// them it finished, kept in that folder so that a run that dies leaves a record of what it began.
//
// Start() first takes, under a lock of the whole folder, the journal of every run that has died
// (a journal whose lock can be had: the kernel lets a lock go when its process ends, however it
// ends), removes the files listed there that were reserved or begun and never finished, and
// deletes that journal. A file is removed only while it is still the very file the dead run made:
// a regular file of the same device and inode (and birth time, where the file system keeps
// one), or, for a name the run had reserved but not yet noted as created, an empty regular file.
// Everything else in the folder stays. Then Start() creates this run's journal exclusively under
// a hidden name (kJournalPrefix and a random part) and holds an flock on it while the object
// lives; End() deletes it.
//
// The files a dead run finished stay too, but they are its output, not the user's: this run
// inherits them (Inherits()), so that it may replace one whose name it needs (TakeOver()) and
// writes its files under their plain names, as if the dead run had never been. A finished file
// is inherited only while it is unchanged since its run finished it: same device, inode, birth,
// size and modification time; a file the user has edited or put in its place is theirs. The
// inherited files are noted in this run's journal too, so a run that dies in turn passes them on.
//
// A name is written to the journal before its file is created (Reserve), the file's identity
// once it exists (Created), and a mark when it is finished (Finished) or removed or not made
// after all (Released). Each record goes to the file at once with write(), so it outlives the
// process; it is not synced to the disk, so a crash of the whole machine is not covered.
// Reserve() and Created() throw EOutputError when the record cannot be written (the file must
// not be made untracked); Finished() and Released() only note what they can: a lost mark costs
// at most a finished file of a dead run, and the identity check protects everything else.
//
// Every file operation goes through the run's disk. A journal that has not been started records
// nothing. Records may come from any thread.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "support/disk.h"

namespace vistrel {

// A name inside a folder, percent-encoded as a trash's info file writes a path
// (EncodeTrashPath()) so that no blank, line break or "%" is left in it, decoded; nullopt for a
// broken escape.
[[nodiscard]] std::optional<std::string> DecodeRecordName(std::string_view field);
// `name` without empty and "." parts and with every "folder/.." taken out; empty when it
// leaves the folder or names no file. The folders on the way are never links (they are opened
// without following any), so this names the same file.
std::string NormalizeRelativeName(std::string_view name);

class TRunJournal {
 public:
  // The name of every journal begins so; the rest is random.
  static constexpr std::string_view kJournalPrefix = ".vistrel-lauf-";

  // `disk` must outlive the journal.
  explicit TRunJournal(TDisk& disk) : disk_(disk) {}
  ~TRunJournal() { End(); }
  TRunJournal(const TRunJournal&) = delete;
  TRunJournal& operator=(const TRunJournal&) = delete;

  // Clears what dead runs left in the open folder `root` (the folder named `directory`, with
  // its trailing "/") and starts this run's journal there. The system's error when the journal
  // cannot be created: the folder takes no file. When the folder's file system has no locks,
  // the run goes without a journal (nothing could tell a live run from a dead one).
  TDiskStatus Start(int root, const std::string& directory);
  // Deletes the journal and lets its lock go; records made later are dropped.
  void End();
  // The journal's full path, or empty when there is none.
  const std::string& Path() const { return path_; }

  // What is known of a file: `birth` is its BirthTime() (0 when unknown), `size` -1 and
  // `modified` 0 until it is finished.
  struct TIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    int64_t birth = 0;
    int64_t size = -1;
    int64_t modified = 0;  // nanoseconds since 1970
  };

  // `name` is a path relative to the folder.
  void Reserve(std::string_view name);
  void Created(std::string_view name, dev_t device, ino_t inode, int64_t birth);
  // `file`: device, inode, size and modification time once the file is closed.
  void Finished(std::string_view name, const TIdentity& file);
  void Released(std::string_view name);

  // Takes the finished file `name` of an earlier run, which is `file` now, as inherited: this
  // run may replace it, and a run after a death of this one inherits it in turn. Call after
  // Start().
  void Inherit(std::string_view name, const TIdentity& file);
  // True when `name` is a file that a dead run finished and this run inherited.
  bool Inherits(std::string_view name);
  // Removes the inherited file `name`, which is `leaf` in the open folder `parent`, so that
  // this run can make its own under that name; false (and nothing removed) when it is not
  // inherited or no longer the very file its run finished.
  [[nodiscard]] bool TakeOver(std::string_view name, int parent, const std::string& leaf);

 private:
  // Appends one record, unless no journal is kept.
  TDiskStatus Append(char kind, std::string_view name, const TIdentity& file);
  TDiskStatus Append(char kind, std::string_view name);
  // Takes the journal of every dead run in the folder: its leftovers go, its unchanged
  // finished files are inherited, then the journal itself goes.
  void ClearDeadRuns(int root);
  void SettleDeadRun(int root, std::string_view contents);

  TDisk& disk_;
  std::mutex mutex_;
  TFd fd_;
  std::string name_;                                      // inside the folder
  std::string path_;                                      // full
  int root_ = -1;                                         // the folder, owned by the caller
  std::unordered_map<std::string, TIdentity> inherited_;  // by normalized name
};

}  // namespace vistrel
