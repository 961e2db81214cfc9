#include "generation/skin_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "generation/output_folder.h"
#include "support/file_io.h"
#include "support/output_file.h"
#include "support/trash.h"

namespace vistrel {

namespace {

constexpr int kMaxDepth = 64;  // a folder nested deeper is no skin's static files
constexpr std::string_view kTargetFolder = "files/";

// Adds the regular files below the open folder `folder` (its path relative to the skin's
// "files" is `prefix`) to `files`, following no link.
void ListFiles(int folder, const std::string& prefix, int depth, std::vector<std::string>& files) {
  if (depth > kMaxDepth) return;
  for (const std::string& name : ListFolderEntries(folder)) {
    struct stat st;
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode)) {
      files.push_back(prefix + name);
    } else if (S_ISDIR(st.st_mode)) {
      TFd sub(::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      if (sub.get() >= 0) ListFiles(sub.get(), prefix + name + "/", depth + 1, files);
    }
  }
}

// The reason for a file of the gallery that the trash would not take.
std::string TrashRefusal(std::string reason) {
  if (!reason.empty() && reason.back() == '.') reason.pop_back();
  return "die vorhandene Datei kann nicht in den Papierkorb: " + reason;
}

}  // namespace

std::string ReplacedFileNote(const std::string& path) {
  return "Die Datei " + path +
         " unterschied sich von der des Skins und wurde in den Papierkorb verschoben.";
}

TSkinFiles::TSkinFiles(std::string source, TOutputFolder& output, TTrash& trash)
    : source_(std::move(source)), output_(output), trash_(trash) {
  if (!source_.empty() && source_.back() != '/') source_.push_back('/');
  TFd folder(IsSystemPath(source_)
                 ? ::open(source_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                 : -1);
  if (folder.get() >= 0) ListFiles(folder.get(), "", 0, files_);
}

std::string TSkinFiles::ReadSource(const std::string& relative, const std::string& target) const {
  TFd folder(::open(source_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  std::string leaf;
  TFd opened;
  const int parent =
      folder.get() < 0 ? -1 : OpenParentFolder(folder.get(), relative, false, leaf, opened);
  TFd file(parent < 0 ? -1
                      : ::openat(parent, leaf.c_str(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st;
  std::string bytes;
  if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !ReadOpenFile(file.get(), bytes, kMaxDataFileSize))
    throw EOutputError(target, source_ + relative + " ist nicht lesbar");
  return bytes;
}

TSkinFiles::TAction TSkinFiles::Decide(const std::string& target_relative, const std::string& bytes,
                                       bool make_folders) {
  const std::string target = output_.Directory() + target_relative;
  std::string leaf;
  TFd opened;
  std::string failed;
  const int parent = output_.OpenParent(target_relative, make_folders, leaf, opened, &failed);
  if (parent < 0) {
    if (!make_folders && errno == ENOENT) return TAction::kWrite;  // its folder is made later
    throw EOutputError(target, EntryInTheWay(failed, true, errno));
  }
  struct stat st;
  if (::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return TAction::kWrite;
    throw EOutputError(target, SystemErrorText(errno));
  }
  if (!S_ISREG(st.st_mode)) {
    const int kind = S_ISDIR(st.st_mode) ? EISDIR : S_ISLNK(st.st_mode) ? ELOOP : 0;
    throw EOutputError(target, kind ? "an ihrer Stelle ist " + SystemErrorText(kind)
                                    : "an ihrer Stelle ist keine gewöhnliche Datei");
  }
  TFd file(::openat(parent, leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  std::string existing;
  const bool same = static_cast<uint64_t>(st.st_size) == bytes.size() && file.get() >= 0 &&
                    ReadOpenFile(file.get(), existing, bytes.size()) && existing == bytes;
  return same ? TAction::kKeep : TAction::kReplace;
}

void TSkinFiles::Check() {
  for (const std::string& relative : files_) {
    const std::string target_relative = std::string(kTargetFolder) + relative;
    const std::string target = output_.Directory() + target_relative;
    const std::string bytes = ReadSource(relative, target);
    if (Decide(target_relative, bytes, false) != TAction::kReplace) continue;
    std::string trash_folder;
    std::string reason;
    if (!trash_.Locate(target, trash_folder, reason))
      throw EOutputError(target, TrashRefusal(reason));
  }
}

void TSkinFiles::Copy(const TNote& note) {
  for (const std::string& relative : files_) {
    const std::string target_relative = std::string(kTargetFolder) + relative;
    const std::string target = output_.Directory() + target_relative;
    const std::string bytes = ReadSource(relative, target);
    const TAction action = Decide(target_relative, bytes, true);
    if (action == TAction::kKeep) continue;
    if (action == TAction::kReplace) {
      TTrash::TTrashed trashed;
      std::string reason;
      if (!trash_.Move(target, trashed, reason)) throw EOutputError(target, TrashRefusal(reason));
      if (note) note(ReplacedFileNote(target));
    }
    const std::string path = output_.CreateNamed(target_relative);
    TOutputFile file = output_.OpenCreated(path);
    file.Write(bytes);
    output_.Finish(file);
  }
}

}  // namespace vistrel
