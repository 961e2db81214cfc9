// The variant cache: finished scaled copies of photos, kept between runs, so that making the
// same gallery again (a new title, another colour, a caption fixed) does not decode and scale
// one photo that did not change.
//
// An entry is one copy, its file's bytes with the copy's pixel size, under a key made of what
// decides those bytes: what it was scaled from (the photo's contents as a 128-bit hash, or the
// key of the larger copy it was made from), the request (box, quality and format) and the
// identity of the image processor that made it (its pipeline, its encoders' settings, libvips
// and libjpeg versions). A hit gives bytes equal to what the processor would make now.
//
// Entries live as single files in one folder ($XDG_CACHE_HOME/vistrel, else ~/.cache/vistrel),
// created with mode 0700. The cache reaches that folder through one descriptor opened without
// following a link, and opens entries in it by name without following links and only when
// they are regular files, so it never reads or writes outside it. Entries are written under a
// temporary name and renamed into place, so two runs at once and a crash never leave a torn
// entry; an entry whose header, length or checksum does not match is ignored and replaced.
// The folder is kept within a size limit by removing the entries used longest ago (a hit
// renews an entry's time). Files the cache did not write are never read, counted or removed.
//
// Every file operation goes through the disk the cache is given.
//
// A cache that cannot be used (the folder is a file or a link, is not ours, cannot be
// created) only costs speed: Find() then finds nothing and Store() keeps nothing. One that
// cannot be written (read-only, full) still finds what it holds. An entry whose name is taken
// by something else (a folder) costs only that entry. Entries count with the bytes they take
// on the disk (a sparse file with a large length counts its allocated blocks), so junk cannot
// push good entries out. Problem() says once, in German, what went wrong first: the folder,
// and the system's reason. Every member function may be called from several threads at
// once, except the constructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "generation/image_processor.h"
#include "support/content_hash.h"
#include "support/disk.h"

namespace vistrel {

class TVariantCache {
 public:
  // Opens the cache folder `folder` (an absolute path; created with its parents when missing)
  // on `disk`, which must outlive the cache, for copies made by a processor of identity
  // `processor`. `size_limit` is in bytes.
  TVariantCache(TDisk& disk, std::string folder, uint64_t size_limit, std::string processor);
  TVariantCache(const TVariantCache&) = delete;
  TVariantCache& operator=(const TVariantCache&) = delete;

  // The cache folder beside the user's other caches, from $XDG_CACHE_HOME when it is an
  // absolute path, else from the home folder; empty without either.
  static std::string DefaultFolder(const std::string& home);

  // The key of the copy that `request` asks for, made from a photo whose contents hash to
  // `source` or, with `from_copy`, from the copy whose key is `source`.
  THash128 KeyOf(const THash128& source, const TScaleRequest& request,
                 bool from_copy = false) const;

  // The stored copy for `key`, when there is an intact one.
  [[nodiscard]] bool Find(const THash128& key, TScaledCopy& copy);
  // Keeps `copy` under `key`. Failing only means the copy is not kept.
  void Store(const THash128& key, const TScaledCopy& copy);
  // When the cache is over its size limit, removes the entries used longest ago until it is
  // within it again (with a little room to spare). Looking through the folder, here and when
  // the cache is opened, also removes temporary files older than an hour (left by a run that
  // crashed).
  void Trim();

  // Whether entries can be found, and kept.
  bool Usable() const { return usable_.load(); }
  bool Writable() const { return writable_.load(); }
  // Why the cache could not be used or stopped keeping copies, or empty.
  std::string Problem() const;

 private:
  // Stops keeping copies (and finding them, when the folder is not open) and keeps the first
  // problem's message; `error` is the system's error number, or 0 when `what` says it all.
  void Fail(const std::string& what, int error);
  // Keeps `text` (without its final full stop) as Problem(), unless a problem is kept already;
  // `entry_only` for a problem that costs one entry only, which a problem of the whole cache
  // replaces.
  void Note(const std::string& text, bool entry_only);

  TDisk& disk_;
  std::string folder_;
  uint64_t size_limit_;
  std::string processor_;
  TFd dir_;
  std::atomic<bool> usable_{false};
  std::atomic<bool> writable_{false};
  std::atomic<uint64_t> stored_{0};  // bytes of the entries, as far as this run knows
  std::atomic<uint64_t> temp_counter_{0};
  std::mutex trim_mutex_;
  mutable std::mutex problem_mutex_;
  std::string problem_;
  bool problem_of_entry_ = false;
};

}  // namespace vistrel
