#include "generation/variant_cache.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <tuple>
#include <vector>

#include "model/copy_format.h"
#include "support/paths.h"
#include "support/text.h"

namespace vistrel {

namespace {

// An entry file: this header, then the JPEG bytes. Numbers little-endian.
//   0  magic "VTLVC001"      8 bytes
//   8  key                  16 bytes (high half, then low half)
//  24  width, height         4 bytes each
//  32  length of the JPEG    8 bytes
//  40  Hash64 of the JPEG    8 bytes
constexpr char kMagic[] = "VTLVC001";
constexpr size_t kHeaderSize = 48;
constexpr std::string_view kEntrySuffix = ".entry";
constexpr std::string_view kTempPrefix = ".tmp-";
// A temporary file this old belongs to no run still writing it.
constexpr time_t kStaleTempSeconds = 3600;
// Trimming goes below the limit by this share, so the next copies kept do not trim again.
constexpr uint64_t kTrimHeadroomPercent = 10;

void Put(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t Get(std::string_view in, size_t offset, int bytes) {
  uint64_t value = 0;
  for (int i = bytes; i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(in[offset + static_cast<size_t>(i)]);
  return value;
}

std::string EntryName(const THash128& key) { return key.Hex() + std::string(kEntrySuffix); }

bool IsEntryName(std::string_view name) {
  if (name.size() != 32 + kEntrySuffix.size() || !name.ends_with(kEntrySuffix)) return false;
  return name.substr(0, 32).find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// What an entry file costs the disk: its length, or its allocated blocks when fewer (a sparse
// file, which no cache run writes, must not count as gigabytes and push good entries out).
uint64_t StoredSize(const struct stat& st) {
  const uint64_t length = static_cast<uint64_t>(st.st_size);
  const uint64_t allocated = static_cast<uint64_t>(st.st_blocks) * 512;
  return std::min(length, allocated);
}

// Errors of one entry's name, not of the cache: something else (a folder) has taken the name.
bool IsEntryProblem(int error) {
  return error == EISDIR || error == ENOTEMPTY || error == EEXIST || error == EBUSY ||
         error == ENOTDIR;
}

// An entry file as the folder lists it.
struct TEntry {
  struct timespec used;  // last use: written or found
  std::string name;
  uint64_t size;
};

// Looks through the cache folder: the bytes of its entries (each noted in `entries` when
// given); temporary files a crashed run left go on the way. Files of other names are left
// alone and not counted.
uint64_t ScanEntries(TDisk& disk, int dir, std::vector<TEntry>* entries) {
  const time_t now = std::time(nullptr);
  uint64_t total = 0;
  for (const std::string& name : disk.ListFolder(dir)) {
    const bool temporary = name.starts_with(kTempPrefix);
    struct stat st;
    if ((!temporary && !IsEntryName(name)) || !disk.Status(dir, name, false, st).Ok() ||
        !S_ISREG(st.st_mode))
      continue;
    if (temporary) {
      // One that cannot be removed is tried again on the next look through the folder.
      if (now - st.st_mtim.tv_sec > kStaleTempSeconds) (void)disk.Remove(dir, name);
      continue;
    }
    total += StoredSize(st);
    if (entries) entries->push_back({st.st_mtim, name, StoredSize(st)});
  }
  return total;
}

}  // namespace

TVariantCache::TVariantCache(TDisk& disk, std::string folder, uint64_t size_limit,
                             std::string processor)
    : disk_(disk),
      folder_(std::move(folder)),
      size_limit_(size_limit),
      processor_(std::move(processor)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  if (folder_.empty()) {
    Note(
        "Der Zwischenspeicher hat keinen Ort: Es gibt keinen persönlichen Ordner (HOME fehlt "
        "oder ist nicht vorhanden), und XDG_CACHE_HOME ist nicht gesetzt",
        false);
    return;
  }
  if (folder_[0] != '/' || !IsSystemPath(folder_)) {
    Fail("hat keinen gültigen Ort", 0);
    return;
  }
  // The parents, for the owner only; when one cannot be made, its reason is the one to give
  // (on a read-only disk, say), not the missing parent's.
  const std::string parent = folder_.substr(0, std::max<size_t>(folder_.rfind('/'), 1));
  if (const TDiskStatus made = disk_.MakeFolders(parent); !made.Ok()) {
    Fail("kann nicht angelegt werden", made.Error());
    return;
  }
  if (const TDiskStatus made = disk_.MakeFolder(kByPath, folder_, 0700);
      !made.Ok() && made.Error() != EEXIST) {
    Fail("kann nicht angelegt werden", made.Error());
    return;
  }
  if (const TDiskStatus opened = disk_.OpenFolder(folder_, dir_, /*follow_links=*/false);
      !opened.Ok()) {
    struct stat st;
    if (disk_.Status(kByPath, folder_, false, st).Ok() && S_ISLNK(st.st_mode))
      Fail("ist eine Verknüpfung", 0);
    else if (opened.Error() == ENOTDIR)
      Fail("ist kein Ordner", 0);
    else
      Fail("kann nicht geöffnet werden", opened.Error());
    return;
  }
  struct stat st;
  if (!disk_.Status(dir_.get(), "", false, st).Ok() || st.st_uid != ::geteuid()) {
    Fail("gehört einem anderen Benutzer", 0);
    return;
  }
  // A folder others could read is made ours alone; one that stays open still works.
  if ((st.st_mode & 077) != 0) (void)disk_.SetPermissions(dir_.get(), 0700);
  usable_ = true;
  writable_ = true;
  stored_ = ScanEntries(disk_, dir_.get(), nullptr);
}

std::string TVariantCache::DefaultFolder(const std::string& home) {
  const std::string caches = XdgFolder("XDG_CACHE_HOME", home, ".cache");
  return caches.empty() ? std::string() : caches + "/vistrel";
}

THash128 TVariantCache::KeyOf(const THash128& source, const TScaleRequest& request,
                              bool from_copy) const {
  std::string material = "vistrel variant cache 1\n" + processor_ + "\n";
  material += from_copy ? "copy " : "photo ";
  Put(material, source.high, 8);
  Put(material, source.low, 8);
  Put(material, request.max_width, 4);
  Put(material, request.max_height, 4);
  Put(material, static_cast<uint32_t>(request.quality), 4);
  material += " " + ImageFormatName(request.format);
  return Hash128(material);
}

bool TVariantCache::Find(const THash128& key, TScaledCopy& copy) {
  if (!usable_) return false;
  const std::string name = EntryName(key);
  TFd fd;
  struct stat st;
  std::string data;
  if (!disk_.Open(dir_.get(), name, TOpen::kRead, fd).Ok() ||
      !disk_.Status(fd.get(), "", false, st).Ok() || !S_ISREG(st.st_mode) ||
      !disk_.ReadRest(fd.get(), data, kMaxDataFileSize).Ok() || data.size() < kHeaderSize)
    return false;
  const std::string_view view(data);
  const uint64_t length = Get(view, 32, 8);
  if (view.substr(0, 8) != std::string_view(kMagic, 8) || Get(view, 8, 8) != key.high ||
      Get(view, 16, 8) != key.low || length != data.size() - kHeaderSize ||
      Get(view, 40, 8) != Hash64(view.substr(kHeaderSize)))
    return false;  // torn, foreign or damaged: the copy is made again and replaces it
  const uint64_t width = Get(view, 24, 4);
  const uint64_t height = Get(view, 28, 4);
  if (width == 0 || height == 0 || width > kMaxVariantSide || height > kMaxVariantSide)
    return false;
  (void)disk_.Touch(fd.get());  // used now: trimmed last (a copy found still counts if not)
  data.erase(0, kHeaderSize);
  copy.jpeg = std::move(data);
  copy.width = static_cast<uint32_t>(width);
  copy.height = static_cast<uint32_t>(height);
  return true;
}

void TVariantCache::Store(const THash128& key, const TScaledCopy& copy) {
  const uint64_t size = kHeaderSize + copy.jpeg.size();
  if (!writable_ || copy.jpeg.empty() || size > size_limit_) return;
  std::string header(kMagic, 8);
  Put(header, key.high, 8);
  Put(header, key.low, 8);
  Put(header, copy.width, 4);
  Put(header, copy.height, 4);
  Put(header, copy.jpeg.size(), 8);
  Put(header, Hash64(copy.jpeg), 8);

  const std::string name = EntryName(key);
  // A name no other writer uses; one left by a crashed run of the same process number is
  // passed over.
  std::string temp;
  TFd fd;
  TDiskStatus status(EEXIST);
  for (int attempt = 0; attempt < 8 && status.Error() == EEXIST; ++attempt) {
    temp = std::string(kTempPrefix) + key.Hex() + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(temp_counter_++);
    status = disk_.Open(dir_.get(), temp, TOpen::kCreate, fd, 0600);
  }
  if (!status.Ok()) {
    Fail("kann nicht beschrieben werden", status.Error());
    return;
  }
  status = disk_.Write(fd.get(), header);
  if (status.Ok()) status = disk_.Write(fd.get(), copy.jpeg);
  if (const TDiskStatus closed = disk_.Close(fd); status.Ok()) status = closed;
  bool renamed_failed = false;
  if (status.Ok()) {
    status = disk_.Rename(dir_.get(), temp, dir_.get(), name, /*replace=*/true);
    renamed_failed = !status.Ok();
  }
  if (!status.Ok()) {
    const int error = status.Error();
    (void)disk_.Remove(dir_.get(), temp);
    if (renamed_failed && IsEntryProblem(error)) {
      // Only this entry's name is taken (by a folder, say): the other copies are still kept.
      Note("Der Zwischenspeicher " + PrintableName(folder_) + " kann den Eintrag " + name +
               " nicht anlegen (" + SystemErrorText(error) +
               "); die anderen verkleinerten Bilder werden weiter darin aufbewahrt",
           true);
      return;
    }
    Fail("kann nicht beschrieben werden", error);
    return;
  }
  if (stored_ += size; stored_ > size_limit_) Trim();
}

void TVariantCache::Trim() {
  std::lock_guard lock(trim_mutex_);
  if (dir_.get() < 0 || stored_ <= size_limit_) return;
  std::vector<TEntry> entries;
  uint64_t total = ScanEntries(disk_, dir_.get(), &entries);
  if (total > size_limit_) {
    std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
      return std::tie(a.used.tv_sec, a.used.tv_nsec, a.name) <
             std::tie(b.used.tv_sec, b.used.tv_nsec, b.name);
    });
    const uint64_t goal = size_limit_ - size_limit_ / 100 * kTrimHeadroomPercent;
    for (const TEntry& entry : entries) {
      if (total <= goal) break;
      if (disk_.Remove(dir_.get(), entry.name).Ok()) total -= entry.size;
    }
  }
  stored_ = total;
}

std::string TVariantCache::Problem() const {
  std::lock_guard lock(problem_mutex_);
  return problem_;
}

void TVariantCache::Fail(const std::string& what, int error) {
  writable_ = false;
  if (dir_.get() < 0) usable_ = false;
  Note("Der Zwischenspeicher " + PrintableName(folder_) + " " + what +
           (error != 0 ? " (" + SystemErrorText(error) + ")" : ""),
       false);
}

void TVariantCache::Note(const std::string& text, bool entry_only) {
  std::lock_guard lock(problem_mutex_);
  // The first problem is kept, except that one of the whole cache outweighs one of an entry.
  if (!problem_.empty() && (entry_only || !problem_of_entry_)) return;
  problem_of_entry_ = entry_only;
  if (entry_only)
    problem_ = text + ".";
  else
    problem_ = text + (usable_ ? "; verkleinerte Bilder werden diesmal nicht darin aufbewahrt."
                               : "; die Bilder werden ohne ihn erzeugt.");
}

}  // namespace vistrel
