#include "generation/skin_files.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include "generation/output_folder.h"
#include "support/disk.h"
#include "support/output_file.h"
#include "support/trash.h"

namespace vistrel {

namespace {

constexpr int kMaxDepth = 64;  // a folder nested deeper is no skin's static files
constexpr std::string_view kTargetFolder = "files/";

// Adds the regular files below the open folder `folder` (its path relative to the skin's
// "files" is `prefix`) to `files`, following no link.
void ListFiles(TDisk& disk, int folder, const std::string& prefix, int depth,
               std::vector<std::string>& files) {
  if (depth > kMaxDepth) return;
  for (const std::string& name : disk.ListFolder(folder)) {
    struct stat st;
    if (!disk.Status(folder, name, false, st).Ok()) continue;
    if (S_ISREG(st.st_mode)) {
      files.push_back(prefix + name);
    } else if (S_ISDIR(st.st_mode)) {
      TFd sub;
      if (disk.Open(folder, name, TOpen::kFolder, sub).Ok())
        ListFiles(disk, sub.get(), prefix + name + "/", depth + 1, files);
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

TSkinFiles::TSkinFiles(TDisk& disk, std::string source, TOutputFolder& output, TTrash& trash)
    : disk_(disk), source_(std::move(source)), output_(output), trash_(trash) {
  if (!source_.empty() && source_.back() != '/') source_.push_back('/');
  TFd folder;
  if (disk_.OpenFolder(source_, folder, /*follow_links=*/false).Ok())
    ListFiles(disk_, folder.get(), "", 0, files_);
}

std::string TSkinFiles::ReadSource(const std::string& relative, const std::string& target) const {
  TFd folder;
  TParentFolder parent;
  std::string bytes;
  if (!disk_.OpenFolder(source_, folder, /*follow_links=*/false).Ok() ||
      !disk_.OpenParentFolder(folder.get(), relative, false, parent).Ok() ||
      !disk_.ReadFileAt(parent.fd, parent.leaf, bytes, kMaxDataFileSize).Ok())
    throw EOutputError(target, source_ + relative + " ist nicht lesbar");
  return bytes;
}

TSkinFiles::TAction TSkinFiles::Decide(const std::string& target_relative, const std::string& bytes,
                                       bool make_folders) {
  const std::string target = output_.Directory() + target_relative;
  TParentFolder parent;
  std::string failed;
  if (const TDiskStatus opened = output_.OpenParent(target_relative, make_folders, parent, &failed);
      !opened.Ok()) {
    if (!make_folders && opened.Error() == ENOENT) return TAction::kWrite;  // made later
    throw EOutputError(target, disk_.EntryInTheWay(failed, true, opened.Error()));
  }
  struct stat st;
  if (const TDiskStatus found = disk_.Status(parent.fd, parent.leaf, false, st); !found.Ok()) {
    if (found.Error() == ENOENT) return TAction::kWrite;
    throw EOutputError(target, SystemErrorText(found.Error()));
  }
  if (!S_ISREG(st.st_mode)) {
    const int kind = S_ISDIR(st.st_mode) ? EISDIR : S_ISLNK(st.st_mode) ? ELOOP : 0;
    throw EOutputError(target, kind ? "an ihrer Stelle ist " + SystemErrorText(kind)
                                    : "an ihrer Stelle ist keine gewöhnliche Datei");
  }
  std::string existing;
  const bool same = static_cast<uint64_t>(st.st_size) == bytes.size() &&
                    disk_.ReadFileAt(parent.fd, parent.leaf, existing, bytes.size()).Ok() &&
                    existing == bytes;
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
    if (action == TAction::kKeep) {
      output_.Kept(target_relative, bytes);  // the gallery's all the same
      continue;
    }
    // A file the output folder may replace itself (a dead run's, or one an update moves aside)
    // is left to it.
    if (action == TAction::kReplace && !output_.Replaceable(target_relative)) {
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
