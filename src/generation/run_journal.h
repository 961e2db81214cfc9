// The journal of a gallery run: the files a run has reserved in its output folder, and which of
// them it finished, kept in that folder so that a run that dies leaves a record of what it began.
//
// Start() first takes, under a lock of the whole folder, the journal of every run that has died
// (a journal whose lock can be had: the kernel lets a lock go when its process ends, however it
// ends), removes the files listed there that were reserved or begun and never finished, and
// deletes that journal. A file is removed only while it is still the very file the dead run made:
// a regular file of the same device and inode (and birth time, where the file system keeps
// one), or, for a name the run had reserved but not yet noted as created, an empty regular file.
// Finished files, files given up, and everything else in the folder stay. Then Start() creates this
// run's journal exclusively under a hidden name (kJournalPrefix and a random part) and holds an
// flock on it while the object lives; End() deletes it.
//
// A name is written to the journal before its file is created (Reserve), the file's identity
// once it exists (Created), and a mark when it is finished (Finished) or removed or not made
// after all (Released). Each record goes to the file at once with write(), so it outlives the
// process; it is not synced to the disk, so a crash of the whole machine is not covered.
// Reserve() and Created() throw EOutputError when the record cannot be written (the file must
// not be made untracked); Finished() and Released() only note what they can: a lost mark costs
// at most a finished file of a dead run, and the identity check protects everything else.
//
// A journal that has not been started records nothing. Records may come from any thread.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "support/file_io.h"

namespace vistrel {

class TRunJournal {
 public:
  // The name of every journal begins so; the rest is random.
  static constexpr std::string_view kJournalPrefix = ".vistrel-lauf-";

  TRunJournal() = default;
  ~TRunJournal() { End(); }
  TRunJournal(const TRunJournal&) = delete;
  TRunJournal& operator=(const TRunJournal&) = delete;

  // Clears what dead runs left in the open folder `root` (the folder named `directory`, with
  // its trailing "/") and starts this run's journal there. False, with errno set, when the
  // journal cannot be created: the folder takes no file. When the folder's file system has no
  // locks, the run goes without a journal (nothing could tell a live run from a dead one).
  [[nodiscard]] bool Start(int root, const std::string& directory);
  // Deletes the journal and lets its lock go; records made later are dropped.
  void End();
  // The journal's full path, or empty when there is none.
  const std::string& Path() const { return path_; }

  // `name` is a path relative to the folder.
  void Reserve(std::string_view name);
  // `birth`: the file's BirthTime(), 0 when unknown.
  void Created(std::string_view name, dev_t device, ino_t inode, int64_t birth);
  void Finished(std::string_view name);
  void Released(std::string_view name);

 private:
  // Appends one record; 0, or the system's error when it could not be written completely.
  int Append(char kind, std::string_view name, dev_t device = 0, ino_t inode = 0,
             int64_t birth = 0);

  std::mutex mutex_;
  TFd fd_;
  std::string name_;  // inside the folder
  std::string path_;  // full
  int root_ = -1;     // the folder, owned by the caller
};

}  // namespace vistrel
