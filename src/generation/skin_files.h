// The skin's static files in a gallery: everything in the skin's folder "files" (stylesheets,
// scripts, pictures) is copied into the folder "files" of the gallery under the same names.
//
// A skin file never costs the user a file. A file already in the gallery that holds the same
// bytes is left as it is. A regular file with other contents (a stylesheet the user edited) is
// moved to the trash first, through the run's trash, and the log says so; then the skin's file
// is written under its plain name. Anything else in the way (a folder where a file belongs, a
// file or link where a folder belongs, a link where a file belongs, a trash that does not take
// the old file), a skin file that cannot be read, and a file that cannot be written completely
// stop the run: EOutputError names the file of the gallery and the reason. Check() finds what
// can be found before anything is written, so a run does not make all its pictures only to
// fail at their end.
//
// Every file is made through the run's output folder (exclusively, following no link, noted in
// the run's journal). From the skin's folder only folders and regular files are taken; links and
// other entries are skipped, so a skin cannot publish a file from elsewhere. Folders are made as
// their files need them.
//
// Everything is read and made through the run's disk. One object per run, used on the run's
// thread; the disk, the output folder and the trash outlive it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vistrel {

class TDisk;
class TOutputFolder;
class TTrash;

class TSkinFiles {
 public:
  // Receives a line for the log: a file of the gallery that went to the trash.
  using TNote = std::function<void(const std::string& text)>;

  // `source` is the skin's folder "files" (with or without a trailing "/").
  TSkinFiles(TDisk& disk, std::string source, TOutputFolder& output, TTrash& trash);

  // The files of the skin, relative to `source`, in byte order of their paths.
  const std::vector<std::string>& Files() const { return files_; }
  // Throws EOutputError for the first skin file that cannot take its place in the gallery.
  void Check();
  // Copies every skin file into the gallery. Throws EOutputError when one cannot be copied.
  void Copy(const TNote& note);

 private:
  enum class TAction { kWrite, kKeep, kReplace };

  // The bytes of the skin file `relative`; throws EOutputError for `target` when it cannot be
  // read.
  std::string ReadSource(const std::string& relative, const std::string& target) const;
  // What must happen at the gallery's path `target_relative` for a file of `bytes`. Without
  // `make_folders` a missing folder on the way is left for later.
  TAction Decide(const std::string& target_relative, const std::string& bytes, bool make_folders);

  TDisk& disk_;
  std::string source_;
  TOutputFolder& output_;
  TTrash& trash_;
  std::vector<std::string> files_;
};

// The log's line for a file of the gallery that a skin file replaced.
std::string ReplacedFileNote(const std::string& path);

}  // namespace vistrel
