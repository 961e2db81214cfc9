#include "generation/output_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "support/content_hash.h"
#include "support/paths.h"

namespace vistrel {

namespace {

constexpr int kMaxCreateAttempts = 1000;

int64_t ModifiedTime(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Errors that belong to one name, not to the folder: another name may well be made.
bool IsNameError(int error) { return error == ENAMETOOLONG || error == EINVAL || error == EILSEQ; }

// `relative` stays inside the folder: not empty, not absolute, never above its start, and
// naming a file (not "." or "..") at its end.
bool IsInside(std::string_view relative) {
  if (relative.empty() || relative.front() == '/') return false;
  int depth = 0;
  const auto parts = SplitPath(relative);
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    const bool last = i + 1 == parts.size();
    if (part == "..") {
      if (last || --depth < 0) return false;
    } else if (part.empty() || part == ".") {
      if (last) return false;
    } else {
      ++depth;
    }
  }
  return true;
}

}  // namespace

bool IsNameInsideFolder(const std::string& pattern, const std::string& old_name,
                        const std::string& extension) {
  if (!pattern.empty() && pattern.front() == '/') return false;
  if (!IsSystemPath(pattern) || !IsSystemPath(old_name) || !IsSystemPath(extension)) return false;
  std::string name = (pattern.empty() ? "%old%" : pattern) + extension;
  ReplaceTextIgnoreCase(name, "%old%", old_name);
  return IsInside(name);
}

TOutputFolder::TOutputFolder(TDisk& disk, std::string directory)
    : disk_(disk), directory_(std::move(directory)), namer_(disk), journal_(disk) {
  if (!directory_.empty() && directory_.back() != '/') directory_.push_back('/');
  // A file that a dead run finished does not cost this run its plain name: it is replaced; so
  // is what stands in the way of an update.
  namer_.SetReplaceable([this](const std::string& path) {
    return path.starts_with(directory_) && Replaceable(Relative(path));
  });
}

TOutputFolder::~TOutputFolder() {
  journal_.End();  // needs the folder
}

int TOutputFolder::RootFd() const {
  std::call_once(root_once_, [this] { root_error_ = disk_.OpenFolder(directory_, root_).Error(); });
  return root_.get();
}

TDiskStatus TOutputFolder::BeginRun() {
  if (RootFd() < 0) return TDiskStatus(root_error_);
  const TDiskStatus started = journal_.Start(RootFd(), directory_);
  if (started.Ok()) keeper_.Begin(RootFd());
  return started;
}

void TOutputFolder::SetUpdate(TTrash& trash, TManifestKeeper::TNote note) {
  keeper_.SetUpdate(trash, std::move(note));
}

bool TOutputFolder::Replaceable(std::string_view relative) {
  return journal_.Inherits(relative) || keeper_.MayMoveAside(RootFd(), relative);
}

void TOutputFolder::Kept(const std::string& relative, std::string_view bytes) {
  TParentFolder parent;
  struct stat st;
  if (OpenParent(relative, false, parent).Ok() &&
      disk_.Status(parent.fd, parent.leaf, false, st).Ok())
    keeper_.Written(relative, st.st_size, ModifiedTime(st), Hash64(bytes));
}

void TOutputFolder::ReplaceOldGallery() { keeper_.ReplaceOldGallery(RootFd()); }

bool TOutputFolder::IsFinished(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = created_.find(path);
  return found != created_.end() && found->second.finished;
}

TDiskStatus TOutputFolder::WriteManifest() {
  manifest_written_ = true;
  return keeper_.End(RootFd());
}

void TOutputFolder::EndRun() {
  RemoveUnfinished();
  // A run that failed or was cancelled names what it left; its own report says how it ended.
  if (!manifest_written_) (void)keeper_.End(RootFd());
  journal_.End();
}

TDiskStatus TOutputFolder::OpenParent(std::string_view relative, bool create, TParentFolder& parent,
                                      std::string* failed) const {
  const int root = RootFd();
  if (root < 0) {
    if (failed) *failed = directory_;
    return TDiskStatus(root_error_);
  }
  const TDiskStatus opened = disk_.OpenParentFolder(root, relative, create, parent, failed);
  if (!opened.Ok() && failed) *failed = directory_ + *failed;
  return opened;
}

TDiskStatus TOutputFolder::MakeFile(const std::string& path, std::string& blocker) {
  const std::string_view relative = Relative(path);
  journal_.Reserve(relative);
  TParentFolder parent;
  blocker.clear();
  TDiskStatus status = OpenParent(relative, true, parent, &blocker);
  TFd file;
  if (status.Ok()) {
    status = disk_.Open(parent.fd, parent.leaf, TOpen::kCreate, file, 0644);
    if (status.Error() == EEXIST && journal_.TakeOver(relative, parent.fd, parent.leaf))
      status = disk_.Open(parent.fd, parent.leaf, TOpen::kCreate, file, 0644);
    if (status.Error() == EEXIST && keeper_.MayMoveAside(RootFd(), relative)) {
      keeper_.MoveAside(relative);
      status = disk_.Open(parent.fd, parent.leaf, TOpen::kCreate, file, 0644);
    }
  }
  if (status.Ok()) {
    struct stat st;
    status = disk_.Status(file.get(), "", false, st);
    if (status.Ok()) {
      {
        std::lock_guard lock(mutex_);
        created_[path] = {st.st_dev, st.st_ino, false};
      }
      journal_.Created(relative, st.st_dev, st.st_ino, disk_.BirthTime(file.get(), ""));
      return status;
    }
    (void)disk_.Remove(parent.fd, parent.leaf);
  }
  journal_.Released(relative);
  return status;
}

TOutputFolder::TResult TOutputFolder::Create(const std::string& pattern,
                                             const std::string& old_name,
                                             const std::string& extension, std::string& path) {
  // A number never adds a folder or "..", so the unnumbered name decides.
  if (!IsNameInsideFolder(pattern, old_name, extension)) return TResult::kInvalidName;
  for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
    path = namer_.Make(directory_, pattern, old_name, extension);
    if (path.empty()) break;
    std::string blocker;
    const int error = MakeFile(path, blocker).Error();
    if (error == 0) return TResult::kCreated;
    // Made by someone else meanwhile: the namer knows it now.
    if (error == EEXIST && blocker.empty()) continue;
    if (IsNameError(error)) {
      errno = error;
      return TResult::kFailed;
    }
    throw EOutputError(
        path, blocker.empty() ? SystemErrorText(error) : disk_.EntryInTheWay(blocker, true, error));
  }
  errno = EEXIST;
  return TResult::kFailed;
}

std::string TOutputFolder::CreateNamed(const std::string& relative) {
  const std::string path = directory_ + relative;
  std::string blocker;
  if (const int error = MakeFile(path, blocker).Error(); error != 0)
    throw EOutputError(path, blocker.empty() ? disk_.EntryInTheWay(path, false, error)
                                             : disk_.EntryInTheWay(blocker, true, error));
  return path;
}

TOutputFile TOutputFolder::OpenCreated(const std::string& path) {
  TCreated identity;
  bool was_finished = false;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) throw EOutputError(path, "");
    was_finished = found->second.finished;
    found->second.finished = false;  // written anew from its start
    identity = found->second;
  }
  if (was_finished) journal_.Created(Relative(path), identity.device, identity.inode, 0);
  TParentFolder parent;
  if (const TDiskStatus opened = OpenParent(Relative(path), false, parent); !opened.Ok())
    throw EOutputError(path, SystemErrorText(opened.Error()));
  TFd file;
  if (const TDiskStatus opened = disk_.Open(parent.fd, parent.leaf, TOpen::kWrite, file);
      !opened.Ok())
    throw EOutputError(path, disk_.EntryInTheWay(path, false, opened.Error()));
  struct stat st;
  if (!disk_.Status(file.get(), "", false, st).Ok() || st.st_dev != identity.device ||
      st.st_ino != identity.inode || !S_ISREG(st.st_mode))
    throw EOutputError(path, "durch eine andere Datei ersetzt");
  if (st.st_size != 0) {
    if (const TDiskStatus cut = disk_.Truncate(file.get()); !cut.Ok())
      throw EOutputError(path, SystemErrorText(cut.Error()));
  }
  return TOutputFile(disk_, std::move(file), path);
}

void TOutputFolder::Finish(TOutputFile& file) {
  const std::string path = file.Path();
  const uint64_t checksum = file.Checksum();
  file.Close();
  TCreated identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) return;
    found->second.finished = true;
    identity = found->second;
  }
  // Size and time as the file was left, so that a later run can tell whether it was changed.
  TRunJournal::TIdentity finished{identity.device, identity.inode};
  TParentFolder parent;
  struct stat st;
  if (OpenParent(Relative(path), false, parent).Ok() &&
      disk_.Status(parent.fd, parent.leaf, false, st).Ok() && st.st_dev == identity.device &&
      st.st_ino == identity.inode) {
    finished.size = st.st_size;
    finished.modified = ModifiedTime(st);
    keeper_.Written(Relative(path), finished.size, finished.modified, checksum);
  }
  journal_.Finished(Relative(path), finished);
}

bool TOutputFolder::Remove(const std::string& path) {
  TCreated identity;
  {
    std::lock_guard lock(mutex_);
    auto found = created_.find(path);
    if (found == created_.end()) return false;
    identity = found->second;
    created_.erase(found);
  }
  keeper_.Removed(Relative(path));
  TParentFolder parent;
  struct stat st;
  // Only the very file that was created goes; whatever took its place meanwhile stays.
  const bool removed = OpenParent(Relative(path), false, parent).Ok() &&
                       disk_.Status(parent.fd, parent.leaf, false, st).Ok() &&
                       st.st_dev == identity.device && st.st_ino == identity.inode &&
                       disk_.Remove(parent.fd, parent.leaf).Ok();
  journal_.Released(Relative(path));
  return removed;
}

int TOutputFolder::RemoveUnfinished() {
  std::vector<std::string> unfinished;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [path, created] : created_)
      if (!created.finished) unfinished.push_back(path);
  }
  int removed = 0;
  for (const std::string& path : unfinished) removed += Remove(path) ? 1 : 0;
  return removed;
}

}  // namespace vistrel
