// The output folder of one gallery run: where every generated file is named and created.
//
// Each generated file (image variant, copy of a source image, page) gets its name by the naming
// rule of file_naming.h and is created here at once, exclusively and without following links,
// so that nothing existing is ever overwritten or written through. A name pattern that is
// absolute, or whose result would lie outside the folder (through ".."), is refused. Folders
// that a name passes through are created inside the output folder as needed; a link met on the
// way is never followed.
//
// Files created here can be reopened for writing later (OpenCreated); only those, and only if
// the entry is still the very file that was created. Create() belongs to the run's thread;
// OpenCreated() may be called from any thread.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/file_naming.h"

namespace vistrel {

class TFd;

// A generated file that cannot be created or written.
class EOutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file opened for writing; closes it when it goes. Write errors throw EOutputError.
class TOutputFile {
 public:
  TOutputFile() = default;
  TOutputFile(int fd, std::string path);
  ~TOutputFile();
  TOutputFile(TOutputFile&& other) noexcept;
  TOutputFile& operator=(TOutputFile&& other) noexcept;

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  void Write(std::string_view bytes);
  // Writes what is buffered and closes the file; throws EOutputError when that fails.
  void Close();

 private:
  void Flush();

  int fd_ = -1;
  std::string path_;
  std::string buffer_;
};

class TOutputFolder {
 public:
  enum class TResult { kCreated, kInvalidName, kFailed };

  // `directory` is the output folder with its trailing "/"; it must exist.
  explicit TOutputFolder(std::string directory);
  ~TOutputFolder();
  TOutputFolder(const TOutputFolder&) = delete;
  TOutputFolder& operator=(const TOutputFolder&) = delete;

  const std::string& Directory() const { return directory_; }

  // Names a new file as MakeUniqueFileName() does (a name handed out earlier counts as taken)
  // and creates it empty. On kCreated `path` is its full path.
  TResult Create(const std::string& pattern, const std::string& old_name,
                 const std::string& extension, std::string& path);

  // True when the unnumbered name for these arguments lies inside the folder (numbering never
  // changes that), so Create() will not answer kInvalidName.
  bool IsValidName(const std::string& pattern, const std::string& old_name,
                   const std::string& extension) const;

  // Opens a file created by Create() for writing from its start (emptying it). Throws
  // EOutputError when the path was not created here or its entry is no longer that file.
  TOutputFile OpenCreated(const std::string& path) const;

 private:
  // `relative` split into the folders to pass through and the final name; false when it is
  // empty or would leave the folder.
  static bool IsInside(std::string_view relative);
  // The folder holding `relative` (creating missing folders, following no link) and in `leaf`
  // the last name. A folder opened on the way is kept open in `opened`.
  int OpenParent(std::string_view relative, bool create, std::string& leaf, TFd& opened) const;

  // The output folder itself, opened once when it is first needed (it exists by then).
  int RootFd() const;

  std::string directory_;
  TUniqueNamer namer_;
  mutable std::once_flag root_once_;
  mutable int root_fd_ = -1;
  mutable std::mutex mutex_;  // guards created_
  std::unordered_map<std::string, std::pair<dev_t, ino_t>> created_;
};

// The message of EOutputError for a file that cannot be created or written.
std::string OutputErrorMessage(const std::string& path);

}  // namespace vistrel
