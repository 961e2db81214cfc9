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
// began and did not complete. Create() belongs to the run's thread; the other operations may
// be called from any thread.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/file_naming.h"
#include "support/output_file.h"
#include "template/page_folder.h"

namespace vistrel {

class TFd;

// True when the unnumbered name that `pattern` gives for `old_name` and `extension` is a
// relative path that stays inside the folder and holds no NUL. Numbering never changes that.
bool IsNameInsideFolder(const std::string& pattern, const std::string& old_name,
                        const std::string& extension);

class TOutputFolder : public TPageFolder {
 public:
  // `directory` is the output folder with its trailing "/"; it must exist.
  explicit TOutputFolder(std::string directory);
  ~TOutputFolder() override;
  TOutputFolder(const TOutputFolder&) = delete;
  TOutputFolder& operator=(const TOutputFolder&) = delete;

  const std::string& Directory() const override { return directory_; }

  // Names a new file as MakeUniqueFileName() does (a name handed out earlier counts as taken)
  // and creates it empty. On kCreated `path` is its full path.
  TResult Create(const std::string& pattern, const std::string& old_name,
                 const std::string& extension, std::string& path) override;

  TOutputFile OpenCreated(const std::string& path) override;
  void Finish(TOutputFile& file) override;

  // Removes a file created here (finished or not); false when it is not there any more as the
  // file that was created.
  bool Remove(const std::string& path);
  // Removes every file created here and not finished; returns how many.
  int RemoveUnfinished();

 private:
  struct TCreated {
    dev_t device;
    ino_t inode;
    bool finished;
  };

  // The folder holding `relative` (creating missing folders, following no link) and in `leaf`
  // the last name. A folder opened on the way is kept open in `opened`.
  int OpenParent(std::string_view relative, bool create, std::string& leaf, TFd& opened) const;
  // The output folder itself, opened once when it is first needed (it exists by then).
  int RootFd() const;

  std::string directory_;
  TUniqueNamer namer_;
  mutable std::once_flag root_once_;
  mutable int root_fd_ = -1;
  std::mutex mutex_;  // guards created_
  std::unordered_map<std::string, TCreated> created_;
};

}  // namespace vistrel
