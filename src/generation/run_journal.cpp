#include "generation/run_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <unordered_map>
#include <vector>

#include "support/output_file.h"
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

// flock() that waits through signals.
int Lock(int fd, int operation) {
  int result;
  do result = ::flock(fd, operation);
  while (result != 0 && errno == EINTR);
  return result;
}

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
bool IsSameFile(const struct stat& st, int parent, const std::string& leaf,
                const TRunJournal::TIdentity& file, bool finished) {
  if (!S_ISREG(st.st_mode) || st.st_dev != file.device || st.st_ino != file.inode) return false;
  if (finished && (file.size < 0 || st.st_size != file.size || ModifiedTime(st) != file.modified))
    return false;
  return file.birth == 0 || BirthTime(parent, leaf) == file.birth;
}

std::string RandomPart() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string part;
  for (int i = 0; i < kRandomLength; ++i) part += kLetters[pick(random)];
  return part;
}

}  // namespace

void TRunJournal::SettleDeadRun(int root, std::string_view contents) {
  for (const auto& [name, entry] : ReadRecords(contents)) {
    if (entry.kind != '+' && entry.kind != '=' && entry.kind != '!') continue;
    std::string leaf;
    TFd opened;
    const int parent = OpenParentFolder(root, name, false, leaf, opened);
    struct stat st;
    if (parent < 0 || ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
      continue;
    if (entry.kind == '!') {
      if (IsSameFile(st, parent, leaf, entry.file, true)) inherited_[name] = entry.file;
      continue;
    }
    // A reserved name whose file was not noted yet was made empty an instant ago. A noted
    // file is known by its inode, and where the file system keeps it by its birth, so a later
    // file that got the number of a deleted one is not taken for it.
    const bool made_by_run =
        entry.kind == '=' ? IsSameFile(st, parent, leaf, entry.file, false) : st.st_size == 0;
    if (made_by_run) {
      ::unlinkat(parent, leaf.c_str(), 0);
      inherited_.erase(name);
    }
  }
}

void TRunJournal::ClearDeadRuns(int root) {
  for (const std::string& name : ListFolderEntries(root)) {
    if (!name.starts_with(TRunJournal::kJournalPrefix)) continue;
    TFd fd(::openat(root, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    std::string contents;
    // A journal whose lock cannot be had belongs to a run that lives.
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        !ReadOpenFile(fd.get(), contents, kMaxDataFileSize) ||
        !(contents.starts_with(kHeader) || contents.starts_with(kHeaderVersion1)))
      continue;
    SettleDeadRun(root, contents);
    struct stat now;
    if (::fstatat(root, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino)
      ::unlinkat(root, name.c_str(), 0);
  }
}

bool TRunJournal::Start(int root, const std::string& directory) {
  End();
  if (root < 0) return false;
  // Starting is one step for every run in the folder, so no run ever sees another's journal
  // between its creation and its lock.
  const bool folder_locked = Lock(root, LOCK_EX) == 0;
  struct TUnlock {
    int fd;
    bool locked;
    ~TUnlock() {
      if (locked) ::flock(fd, LOCK_UN);
    }
  } unlock{root, folder_locked};
  {
    std::lock_guard lock(mutex_);
    inherited_.clear();
  }
  if (folder_locked) ClearDeadRuns(root);

  for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
    const std::string name = std::string(kJournalPrefix) + RandomPart();
    TFd fd(
        ::openat(root, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (!WriteAll(fd.get(), kHeader)) {
      const int error = errno;
      ::unlinkat(root, name.c_str(), 0);
      errno = error;
      return false;  // the folder takes no file
    }
    if (!folder_locked || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      ::unlinkat(root, name.c_str(), 0);
      return true;  // no locks here: the run goes without a journal
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
    return true;
  }
  errno = EEXIST;
  return false;
}

void TRunJournal::End() {
  std::lock_guard lock(mutex_);
  if (fd_.get() < 0) return;
  struct stat own;
  struct stat now;
  if (::fstat(fd_.get(), &own) == 0 &&
      ::fstatat(root_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && own.st_dev == now.st_dev &&
      own.st_ino == now.st_ino)
    ::unlinkat(root_, name_.c_str(), 0);
  fd_ = TFd();  // closing lets the lock go
  name_.clear();
  path_.clear();
}

int TRunJournal::Append(char kind, std::string_view name, const TIdentity& file) {
  std::lock_guard lock(mutex_);
  if (fd_.get() < 0) return 0;
  std::string record(1, kind);
  record += ' ' + std::to_string(file.device) + ' ' + std::to_string(file.inode) + ' ' +
            std::to_string(file.birth) + ' ' + std::to_string(file.size) + ' ' +
            std::to_string(file.modified) + ' ' + EncodeTrashPath(NormalizeRelativeName(name)) +
            '\n';
  return WriteAll(fd_.get(), record) ? 0 : errno;
}

int TRunJournal::Append(char kind, std::string_view name) { return Append(kind, name, {}); }

void TRunJournal::Reserve(std::string_view name) {
  if (const int error = Append('+', name); error != 0)
    throw EOutputError(path_, SystemErrorText(error));
}

void TRunJournal::Created(std::string_view name, dev_t device, ino_t inode, int64_t birth) {
  if (const int error = Append('=', name, {device, inode, birth}); error != 0)
    throw EOutputError(path_, SystemErrorText(error));
}

void TRunJournal::Finished(std::string_view name, const TIdentity& file) {
  (void)Append('!', name, file);
}

void TRunJournal::Released(std::string_view name) { (void)Append('-', name); }

bool TRunJournal::Inherits(std::string_view name) {
  std::lock_guard lock(mutex_);
  return !inherited_.empty() && inherited_.count(NormalizeRelativeName(name)) > 0;
}

bool TRunJournal::TakeOver(std::string_view name, int parent, const std::string& leaf) {
  std::lock_guard lock(mutex_);
  const auto found = inherited_.find(NormalizeRelativeName(name));
  if (found == inherited_.end()) return false;
  struct stat st;
  const bool same = ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                    IsSameFile(st, parent, leaf, found->second, true);
  inherited_.erase(found);
  return same && ::unlinkat(parent, leaf.c_str(), 0) == 0;
}

}  // namespace vistrel
