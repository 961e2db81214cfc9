// Where the template engine puts its pages.
//
// The engine names, creates and writes page files but does not own the folder they go into:
// the gallery run does, and hands the engine this interface (the run's output folder
// implements it). Create() names a new file by the naming rule of file_naming.h and creates it
// empty at once, so the next name sees it; OpenCreated() reopens such a file from its start;
// Finish() closes a written file and records it as complete. Files created and never finished
// are the folder owner's to remove.
#pragma once

#include <string>

#include "support/output_file.h"

namespace vistrel {

class TPageFolder {
 public:
  enum class TResult { kCreated, kInvalidName, kFailed };

  virtual ~TPageFolder() = default;
  // The folder, with its trailing "/".
  virtual const std::string& Directory() const = 0;
  // Names a new file as MakeUniqueFileName() does and creates it empty; on kCreated `path` is
  // its full path. kInvalidName: the name would lie outside the folder or holds a NUL.
  // kFailed: the system refuses this one name (errno says why; `path` is the name tried, or
  // empty). Throws EOutputError when the folder refuses any file.
  [[nodiscard]] virtual TResult Create(const std::string& pattern, const std::string& old_name,
                                       const std::string& extension, std::string& path) = 0;
  // Opens a file created by Create() for writing from its start. Throws EOutputError when the
  // path was not created here or its entry is no longer that file.
  virtual TOutputFile OpenCreated(const std::string& path) = 0;
  // Closes `file` (throwing EOutputError when that fails) and records it as complete.
  virtual void Finish(TOutputFile& file) = 0;
};

}  // namespace vistrel
