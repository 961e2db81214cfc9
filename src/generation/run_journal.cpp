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

namespace {

// The first line of every journal: a file of another kind that merely has such a name is
// never read as one, and a later form of the journal can say so here.
constexpr std::string_view kHeader = "vistrel-lauf 1\n";
constexpr int kMaxNameAttempts = 100;
constexpr int kRandomLength = 12;

// flock() that waits through signals.
int Lock(int fd, int operation) {
  int result;
  do result = ::flock(fd, operation);
  while (result != 0 && errno == EINTR);
  return result;
}

// A name as the last field of a record is percent-encoded as a trash's info file writes a
// path (EncodeTrashPath()): no blank, line break or "%" is left in it.
std::optional<std::string> Unescape(std::string_view field) {
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

// `name` without empty and "." parts and with every "folder/.." taken out; empty when it
// leaves the folder or names no file. The folders on the way are never links (they are opened
// without following any), so this names the same file.
std::string Normalize(std::string_view name) {
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

// What the records of a dead run say about one name: the last record counts.
struct TEntry {
  char kind = 0;
  dev_t device = 0;
  ino_t inode = 0;
  int64_t birth = 0;  // 0: not known
};

// The entries of a journal's records; a record cut short by the end of its run is left out.
std::unordered_map<std::string, TEntry> ReadRecords(std::string_view contents) {
  std::unordered_map<std::string, TEntry> entries;
  contents.remove_prefix(kHeader.size());
  while (true) {
    const size_t end = contents.find('\n');
    if (end == std::string_view::npos) break;
    const std::string_view line = contents.substr(0, end);
    contents.remove_prefix(end + 1);
    // "<kind> <device> <inode> <birth> <name>"
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (fields.size() < 4) {
      const size_t blank = line.find(' ', start);
      if (blank == std::string_view::npos) break;
      fields.push_back(line.substr(start, blank - start));
      start = blank + 1;
    }
    if (fields.size() != 4 || fields[0].size() != 1) continue;
    TEntry entry;
    entry.kind = fields[0][0];
    try {
      entry.device = static_cast<dev_t>(std::stoull(std::string(fields[1])));
      entry.inode = static_cast<ino_t>(std::stoull(std::string(fields[2])));
      entry.birth = std::stoll(std::string(fields[3]));
    } catch (const std::exception&) {
      continue;
    }
    const std::optional<std::string> name = Unescape(line.substr(start));
    if (!name || Normalize(*name) != *name || name->empty()) continue;
    entries[*name] = entry;
  }
  return entries;
}

// Removes the files a dead run reserved or began and never finished, while each is still the
// very file that run made.
void ClearLeftovers(int root, std::string_view contents) {
  for (const auto& [name, entry] : ReadRecords(contents)) {
    if (entry.kind != '+' && entry.kind != '=') continue;
    std::string leaf;
    TFd opened;
    const int parent = OpenParentFolder(root, name, false, leaf, opened);
    struct stat st;
    if (parent < 0 || ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
      continue;
    // A reserved name whose file was not noted yet was made empty an instant ago. A noted
    // file is known by its inode, and where the file system keeps it by its birth, so a later
    // file that got the number of a deleted one is not taken for it.
    const bool made_by_run = entry.kind == '='
                                 ? st.st_dev == entry.device && st.st_ino == entry.inode &&
                                       (entry.birth == 0 || BirthTime(parent, leaf) == entry.birth)
                                 : st.st_size == 0;
    if (made_by_run) ::unlinkat(parent, leaf.c_str(), 0);
  }
}

// Takes the journal of every dead run in `root`: its leftovers go, then the journal itself.
void ClearDeadRuns(int root) {
  for (const std::string& name : ListFolderEntries(root)) {
    if (!name.starts_with(TRunJournal::kJournalPrefix)) continue;
    TFd fd(::openat(root, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    std::string contents;
    // A journal whose lock cannot be had belongs to a run that lives.
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        !ReadOpenFile(fd.get(), contents, kMaxDataFileSize) || !contents.starts_with(kHeader))
      continue;
    ClearLeftovers(root, contents);
    struct stat now;
    if (::fstatat(root, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino)
      ::unlinkat(root, name.c_str(), 0);
  }
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
    std::lock_guard lock(mutex_);
    fd_ = std::move(fd);
    name_ = name;
    path_ = directory + name;
    root_ = root;
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

int TRunJournal::Append(char kind, std::string_view name, dev_t device, ino_t inode,
                        int64_t birth) {
  std::lock_guard lock(mutex_);
  if (fd_.get() < 0) return 0;
  std::string record(1, kind);
  record += ' ' + std::to_string(device) + ' ' + std::to_string(inode) + ' ' +
            std::to_string(birth) + ' ' + EncodeTrashPath(Normalize(name)) + '\n';
  return WriteAll(fd_.get(), record) ? 0 : errno;
}

void TRunJournal::Reserve(std::string_view name) {
  if (const int error = Append('+', name); error != 0)
    throw EOutputError(path_, SystemErrorText(error));
}

void TRunJournal::Created(std::string_view name, dev_t device, ino_t inode, int64_t birth) {
  if (const int error = Append('=', name, device, inode, birth); error != 0)
    throw EOutputError(path_, SystemErrorText(error));
}

void TRunJournal::Finished(std::string_view name) { (void)Append('!', name); }

void TRunJournal::Released(std::string_view name) { (void)Append('-', name); }

}  // namespace vistrel
