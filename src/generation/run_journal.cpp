#include "generation/run_journal.h"

#include <cerrno>
#include <optional>
#include <unordered_map>
#include <vector>

#include "support/output_file.h"
#include "support/paths.h"
#include "support/text.h"
#include "support/trash.h"

namespace vistrel {

std::optional<std::string> DecodeRecordName(std::string_view field) {
  std::string name;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      name += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return std::nullopt;
    const int high = HexDigitValue(field[i + 1]);
    const int low = HexDigitValue(field[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    name += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return name;
}

std::string NormalizeRelativeName(std::string_view name) {
  std::vector<std::string_view> kept;
  for (const std::string_view part : SplitPath(name)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (kept.empty()) return {};
      kept.pop_back();
    } else {
      kept.push_back(part);
    }
  }
  std::string normal;
  for (const std::string_view part : kept) {
    if (!normal.empty()) normal += '/';
    normal += part;
  }
  return normal;
}

namespace {

// The first line of every journal: a file of another kind that merely has such a name is
// never read as one. Version 1 had no size and modification time in its records; its journals
// are still cleared, but their finished files are not inherited.
constexpr std::string_view kHeader = "vistrel-lauf 2\n";
constexpr std::string_view kHeaderVersion1 = "vistrel-lauf 1\n";
constexpr int kMaxNameAttempts = 100;
constexpr int kRandomLength = 12;

// What the records of a dead run say about one name: the last record counts, but a finish
// keeps the identity its file was created with.
struct TEntry {
  char kind = 0;
  TRunJournal::TIdentity file;
};

int64_t ModifiedTime(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// The entries of a journal's records; a record cut short by the end of its run is left out.
std::unordered_map<std::string, TEntry> ReadRecords(std::string_view contents) {
  std::unordered_map<std::string, TEntry> entries;
  // "<kind> <device> <inode> <birth> [<size> <modified>] <name>"
  const size_t field_count = contents.starts_with(kHeader) ? 6 : 4;
  contents.remove_prefix(kHeader.size());
  while (true) {
    const size_t end = contents.find('\n');
    if (end == std::string_view::npos) break;
    const std::string_view line = contents.substr(0, end);
    contents.remove_prefix(end + 1);
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (fields.size() < field_count) {
      const size_t blank = line.find(' ', start);
      if (blank == std::string_view::npos) break;
      fields.push_back(line.substr(start, blank - start));
      start = blank + 1;
    }
    if (fields.size() != field_count || fields[0].size() != 1) continue;
    TEntry entry;
    entry.kind = fields[0][0];
    try {
      entry.file.device = static_cast<dev_t>(std::stoull(std::string(fields[1])));
      entry.file.inode = static_cast<ino_t>(std::stoull(std::string(fields[2])));
      entry.file.birth = std::stoll(std::string(fields[3]));
      if (field_count == 6) {
        entry.file.size = std::stoll(std::string(fields[4]));
        entry.file.modified = std::stoll(std::string(fields[5]));
      }
    } catch (const std::exception&) {
      continue;
    }
    const std::optional<std::string> name = DecodeRecordName(line.substr(start));
    if (!name || NormalizeRelativeName(*name) != *name || name->empty()) continue;
    TEntry& known = entries[*name];
    if (entry.kind == '!' && known.kind == '=' && entry.file.birth == 0)
      entry.file.birth = known.file.birth;
    known = entry;
  }
  return entries;
}

// True when `st` is the regular file `file` was: the same device and inode, and the same
// birth where it is known. With `finished`, also the same size and modification time.
bool IsSameFile(TDisk& disk, const struct stat& st, int parent, const std::string& leaf,
                const TRunJournal::TIdentity& file, bool finished) {
  if (!S_ISREG(st.st_mode) || st.st_dev != file.device || st.st_ino != file.inode) return false;
  if (finished && (file.size < 0 || st.st_size != file.size || ModifiedTime(st) != file.modified))
    return false;
  return file.birth == 0 || disk.BirthTime(parent, leaf) == file.birth;
}

}  // namespace

void TRunJournal::SettleDeadRun(int root, std::string_view contents) {
  for (const auto& [name, entry] : ReadRecords(contents)) {
    if (entry.kind != '+' && entry.kind != '=' && entry.kind != '!') continue;
    TParentFolder parent;
    struct stat st;
    if (!disk_.OpenParentFolder(root, name, false, parent).Ok() ||
        !disk_.Status(parent.fd, parent.leaf, false, st).Ok() || !S_ISREG(st.st_mode))
      continue;
    if (entry.kind == '!') {
      if (IsSameFile(disk_, st, parent.fd, parent.leaf, entry.file, true))
        inherited_[name] = entry.file;
      continue;
    }
    // A reserved name whose file was not noted yet was made empty an instant ago. A noted
    // file is known by its inode, and where the file system keeps it by its birth, so a later
    // file that got the number of a deleted one is not taken for it.
    const bool made_by_run = entry.kind == '='
                                 ? IsSameFile(disk_, st, parent.fd, parent.leaf, entry.file, false)
                                 : st.st_size == 0;
    // A leftover that cannot be removed stays; the next run tries again.
    if (made_by_run && disk_.Remove(parent.fd, parent.leaf).Ok()) inherited_.erase(name);
  }
}

void TRunJournal::ClearDeadRuns(int root) {
  for (const std::string& name : disk_.ListFolder(root)) {
    if (!name.starts_with(TRunJournal::kJournalPrefix)) continue;
    TFd fd;
    struct stat st;
    std::string contents;
    // A journal whose lock cannot be had belongs to a run that lives.
    if (!disk_.Open(root, name, TOpen::kRead, fd).Ok() ||
        !disk_.Status(fd.get(), "", false, st).Ok() || !S_ISREG(st.st_mode) ||
        !disk_.Lock(fd.get(), /*wait=*/false).Ok() ||
        !disk_.ReadRest(fd.get(), contents, kMaxDataFileSize).Ok() ||
        !(contents.starts_with(kHeader) || contents.starts_with(kHeaderVersion1)))
      continue;
    SettleDeadRun(root, contents);
    struct stat now;
    if (disk_.Status(root, name, false, now).Ok() && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino)
      (void)disk_.Remove(root, name);
  }
}

TDiskStatus TRunJournal::Start(int root, const std::string& directory) {
  End();
  if (root < 0) return TDiskStatus(EBADF);
  // Starting is one step for every run in the folder, so no run ever sees another's journal
  // between its creation and its lock.
  const bool folder_locked = disk_.Lock(root, /*wait=*/true).Ok();
  struct TUnlock {
    TDisk& disk;
    int fd;
    bool locked;
    ~TUnlock() {
      if (locked) (void)disk.Unlock(fd);
    }
  } unlock{disk_, root, folder_locked};
  {
    std::lock_guard lock(mutex_);
    inherited_.clear();
  }
  if (folder_locked) ClearDeadRuns(root);

  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const std::string name = std::string(kJournalPrefix) + RandomName(kRandomLength);
    TFd fd;
    if (const TDiskStatus created = disk_.Open(root, name, TOpen::kCreate, fd, 0600);
        !created.Ok()) {
      if (created.Error() == EEXIST) continue;
      return created;
    }
    if (const TDiskStatus written = disk_.Write(fd.get(), kHeader); !written.Ok()) {
      (void)disk_.Remove(root, name);
      return written;  // the folder takes no file
    }
    if (!folder_locked || !disk_.Lock(fd.get(), /*wait=*/false).Ok()) {
      (void)disk_.Remove(root, name);
      return {};  // no locks here: the run goes without a journal
    }
    {
      std::lock_guard lock(mutex_);
      fd_ = std::move(fd);
      name_ = name;
      path_ = directory + name;
      root_ = root;
    }
    // Passed on, so that a death of this run does not turn them into the user's files.
    for (const auto& [inherited, file] : inherited_) (void)Append('!', inherited, file);
    return {};
  }
  return TDiskStatus(EEXIST);
}

void TRunJournal::End() {
  std::lock_guard lock(mutex_);
  if (fd_.get() < 0) return;
  struct stat own;
  struct stat now;
  if (disk_.Status(fd_.get(), "", false, own).Ok() && disk_.Status(root_, name_, false, now).Ok() &&
      own.st_dev == now.st_dev && own.st_ino == now.st_ino)
    (void)disk_.Remove(root_, name_);
  fd_ = TFd();  // closing lets the lock go
  name_.clear();
  path_.clear();
}

TDiskStatus TRunJournal::Append(char kind, std::string_view name, const TIdentity& file) {
  std::lock_guard lock(mutex_);
  if (fd_.get() < 0) return {};
  std::string record(1, kind);
  record += ' ' + std::to_string(file.device) + ' ' + std::to_string(file.inode) + ' ' +
            std::to_string(file.birth) + ' ' + std::to_string(file.size) + ' ' +
            std::to_string(file.modified) + ' ' + EncodeTrashPath(NormalizeRelativeName(name)) +
            '\n';
  return disk_.Write(fd_.get(), record);
}

TDiskStatus TRunJournal::Append(char kind, std::string_view name) { return Append(kind, name, {}); }

void TRunJournal::Reserve(std::string_view name) {
  if (const TDiskStatus written = Append('+', name); !written.Ok())
    throw EOutputError(path_, SystemErrorText(written.Error()));
}

void TRunJournal::Created(std::string_view name, dev_t device, ino_t inode, int64_t birth) {
  if (const TDiskStatus written = Append('=', name, {device, inode, birth}); !written.Ok())
    throw EOutputError(path_, SystemErrorText(written.Error()));
}

void TRunJournal::Finished(std::string_view name, const TIdentity& file) {
  (void)Append('!', name, file);
}

void TRunJournal::Released(std::string_view name) { (void)Append('-', name); }

void TRunJournal::Inherit(std::string_view name, const TIdentity& file) {
  {
    std::lock_guard lock(mutex_);
    inherited_[NormalizeRelativeName(name)] = file;
  }
  (void)Append('!', name, file);  // passed on, should this run die too
}

bool TRunJournal::Inherits(std::string_view name) {
  std::lock_guard lock(mutex_);
  return !inherited_.empty() && inherited_.count(NormalizeRelativeName(name)) > 0;
}

bool TRunJournal::TakeOver(std::string_view name, int parent, const std::string& leaf) {
  std::lock_guard lock(mutex_);
  const auto found = inherited_.find(NormalizeRelativeName(name));
  if (found == inherited_.end()) return false;
  struct stat st;
  const bool same = disk_.Status(parent, leaf, false, st).Ok() &&
                    IsSameFile(disk_, st, parent, leaf, found->second, true);
  inherited_.erase(found);
  return same && disk_.Remove(parent, leaf).Ok();
}

}  // namespace vistrel
