#include "generation/variant_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/disk.h"
#include "test_support.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;
namespace fs = std::filesystem;

constexpr uint64_t kLimit = 1'000'000;

// A copy with recognisable bytes (a JPEG's start, then `fill`).
TScaledCopy Copy(char fill, size_t size = 1000, uint32_t width = 40, uint32_t height = 30) {
  return {"\xFF\xD8" + std::string(size - 2, fill), width, height};
}

class VariantCacheTest : public ::testing::Test {
 protected:
  std::string EntryPath(const THash128& key) const { return folder_ + "/" + key.Hex() + ".entry"; }
  THash128 Key(int n) const { return Hash128("photo " + std::to_string(n)); }

  TempDir dir_;
  std::string folder_ = dir_ / "cache/vistrel";
};

TEST_F(VariantCacheTest, KeysChangeWithEveryPartOfWhatDecidesTheBytes) {
  TVariantCache cache(SystemDisk(), folder_, kLimit, "scale 2; libvips 8.14.1");
  const THash128 photo = Hash128("photo");
  const TScaleRequest request{160, 120, 80};
  const THash128 key = cache.KeyOf(photo, request);
  EXPECT_EQ(key, TVariantCache(SystemDisk(), folder_, kLimit, "scale 2; libvips 8.14.1")
                     .KeyOf(photo, request));
  const THash128 others[] = {
      cache.KeyOf(Hash128("photo!"), request),
      cache.KeyOf(photo, {161, 120, 80}),
      cache.KeyOf(photo, {160, 121, 80}),
      cache.KeyOf(photo, {160, 120, 81}),
      cache.KeyOf(photo, {120, 160, 80}),
      cache.KeyOf(photo, {160, 120, 80, TImageFormat::kWebp}),
      cache.KeyOf(photo, {160, 120, 80, TImageFormat::kAvif}),
      cache.KeyOf(photo, request, true),  // made from the copy whose key this is
      TVariantCache(SystemDisk(), folder_, kLimit, "scale 3; libvips 8.14.1").KeyOf(photo, request),
      TVariantCache(SystemDisk(), folder_, kLimit, "scale 2; libvips 8.15.0").KeyOf(photo, request),
  };
  for (const THash128& other : others) EXPECT_NE(other, key) << other.Hex();
  EXPECT_NE(cache.KeyOf(photo, {160, 120, 80, TImageFormat::kWebp}),
            cache.KeyOf(photo, {160, 120, 80, TImageFormat::kAvif}));
}

TEST_F(VariantCacheTest, KeptCopiesAreFoundAgainByALaterRunAndOnlyByTheirOwner) {
  {
    TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
    ASSERT_TRUE(cache.Usable()) << cache.Problem();
    cache.Store(Key(1), Copy('a', 5000, 640, 480));
  }
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  TScaledCopy found;
  ASSERT_TRUE(cache.Find(Key(1), found));
  EXPECT_EQ(found.jpeg, Copy('a', 5000).jpeg);
  EXPECT_EQ(found.width, 640u);
  EXPECT_EQ(found.height, 480u);
  EXPECT_FALSE(cache.Find(Key(2), found));
  EXPECT_EQ(cache.Problem(), "");
  // Only the user may look into the cache.
  EXPECT_EQ(fs::status(folder_).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(EntryPath(Key(1))).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(VariantCacheTest, DamagedOrForeignEntriesAreIgnoredAndReplaced) {
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  cache.Store(Key(1), Copy('a'));
  const std::string good = ReadFile(EntryPath(Key(1)));
  ASSERT_EQ(good.size(), 1048u);
  std::string flipped = good;
  flipped[700] ^= 1;
  std::string other_key = good;
  other_key[10] ^= 1;
  std::string longer = good + "x";
  const std::pair<const char*, std::string> damages[] = {
      {"empty", ""},
      {"truncated", good.substr(0, 600)},
      {"header only", good.substr(0, 48)},
      {"a byte of the picture changed", flipped},
      {"the key of another copy", other_key},
      {"longer than it says", longer},
      {"another program's file", "GIF89a" + std::string(2000, 'x')},
      {"zero size in the header", good.substr(0, 24) + std::string(8, '\0') + good.substr(32)},
  };
  for (const auto& [what, contents] : damages) {
    WriteFile(EntryPath(Key(1)), contents);
    TScaledCopy found;
    EXPECT_FALSE(cache.Find(Key(1), found)) << what;
    cache.Store(Key(1), Copy('a'));
    EXPECT_TRUE(cache.Find(Key(1), found)) << what;
    EXPECT_EQ(found.jpeg, Copy('a').jpeg) << what;
  }
}

TEST_F(VariantCacheTest, LinksInTheCacheAreNeitherFollowedNorWrittenThrough) {
  TVariantCache source(SystemDisk(), dir_ / "elsewhere", kLimit, "p");
  source.Store(Key(1), Copy('s'));
  const std::string outside = dir_ / ("elsewhere/" + Key(1).Hex() + ".entry");
  const std::string outside_bytes = ReadFile(outside);

  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  fs::create_symlink(outside, EntryPath(Key(1)));
  TScaledCopy found;
  EXPECT_FALSE(cache.Find(Key(1), found));  // an intact entry, but behind a link
  cache.Store(Key(1), Copy('n'));           // replaces the link, not what it points to
  EXPECT_FALSE(fs::is_symlink(EntryPath(Key(1))));
  EXPECT_EQ(ReadFile(outside), outside_bytes);
  EXPECT_TRUE(cache.Find(Key(1), found));
  EXPECT_EQ(found.jpeg, Copy('n').jpeg);
}

// A crashed run with this process number left its temporary files behind.
TEST_F(VariantCacheTest, TemporaryNamesLeftBehindArePassedOver) {
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  for (int n = 0; n < 3; ++n)
    WriteFile(folder_ + "/.tmp-" + Key(1).Hex() + "-" + std::to_string(::getpid()) + "-" +
                  std::to_string(n),
              "left");
  cache.Store(Key(1), Copy('a'));
  TScaledCopy found;
  EXPECT_TRUE(cache.Find(Key(1), found));
  EXPECT_TRUE(cache.Writable()) << cache.Problem();
}

TEST_F(VariantCacheTest, AFolderThatIsALinkOrAFileIsNotUsedAndSaysWhy) {
  fs::create_directories(dir_ / "real");
  fs::create_directories(dir_ / "cache");
  fs::create_directory_symlink(dir_ / "real", folder_);
  TVariantCache linked(SystemDisk(), folder_, kLimit, "p");
  EXPECT_FALSE(linked.Usable());
  linked.Store(Key(1), Copy('a'));
  EXPECT_TRUE(ListFolder(dir_ / "real").empty());
  EXPECT_EQ(linked.Problem(), "Der Zwischenspeicher " + folder_ +
                                  " ist eine Verknüpfung; die Bilder werden ohne ihn erzeugt.");

  WriteFile(dir_ / "file", "not a folder");
  TVariantCache file(SystemDisk(), dir_ / "file", kLimit, "p");
  TScaledCopy found;
  EXPECT_FALSE(file.Usable());
  EXPECT_FALSE(file.Find(Key(1), found));
  EXPECT_NE(file.Problem().find("ist kein Ordner"), std::string::npos) << file.Problem();
  EXPECT_EQ(ReadFile(dir_ / "file"), "not a folder");

  TVariantCache below_file(SystemDisk(), dir_ / "file/vistrel", kLimit, "p");
  EXPECT_FALSE(below_file.Usable());
  EXPECT_NE(below_file.Problem().find("kann nicht angelegt werden"), std::string::npos);
}

TEST_F(VariantCacheTest, TrimmingRemovesTheCopiesUsedLongestAgoAndNothingElse) {
  const uint64_t entry = 48 + 1000;  // header and picture
  // Room for three copies and a little more; trimming goes 10 % below the limit.
  TVariantCache cache(SystemDisk(), folder_, 4000, "p");
  for (int n = 1; n <= 3; ++n) cache.Store(Key(n), Copy('a' + n));
  // Their last use, oldest first: 2, 3, 1.
  auto set_time = [&](int n, time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, EntryPath(Key(n)).c_str(), times, 0), 0);
  };
  set_time(2, 1000);
  set_time(3, 2000);
  set_time(1, 3000);
  WriteFile(folder_ + "/notes.txt", std::string(5000, 'n'));  // not the cache's
  WriteFile(folder_ + "/.tmp-old", "x");
  const struct timespec old[2] = {{1000, 0}, {1000, 0}};
  ::utimensat(AT_FDCWD, (folder_ + "/.tmp-old").c_str(), old, 0);
  WriteFile(folder_ + "/.tmp-fresh", "x");  // a run may still be writing it

  cache.Store(Key(4), Copy('e'));  // over the limit: the least recently used go
  TScaledCopy found;
  EXPECT_FALSE(cache.Find(Key(2), found));
  EXPECT_TRUE(cache.Find(Key(3), found));
  EXPECT_TRUE(cache.Find(Key(1), found));
  EXPECT_TRUE(cache.Find(Key(4), found));
  EXPECT_TRUE(Exists(folder_ + "/notes.txt"));
  EXPECT_FALSE(Exists(folder_ + "/.tmp-old"));
  EXPECT_TRUE(Exists(folder_ + "/.tmp-fresh"));

  // A hit counts as a use: 3 was just found, so 1 is the oldest after this.
  set_time(1, 1500);
  ASSERT_TRUE(cache.Find(Key(3), found));
  TVariantCache smaller(SystemDisk(), folder_, 2 * entry + 10, "p");
  smaller.Trim();
  EXPECT_FALSE(smaller.Find(Key(1), found));
  EXPECT_TRUE(smaller.Find(Key(3), found));
}

TEST_F(VariantCacheTest, RunsAtOnceNeverSeeAHalfWrittenCopy) {
  TVariantCache first(SystemDisk(), folder_, 100 * kLimit, "p");
  TVariantCache second(SystemDisk(), folder_, 100 * kLimit, "p");
  std::atomic<int> wrong{0};
  std::atomic<int> hits{0};
  auto work = [&](TVariantCache& cache, int seed) {
    for (int round = 0; round < 30; ++round)
      for (int n = 0; n < 8; ++n) {
        const int k = (n + seed + round) % 8;
        const TScaledCopy copy = Copy(static_cast<char>('a' + k), 200000 + 1000 * k);
        TScaledCopy found;
        if (cache.Find(Key(k), found)) {
          ++hits;
          if (found.jpeg != copy.jpeg) ++wrong;
        } else {
          cache.Store(Key(k), copy);
        }
      }
  };
  {
    std::jthread a([&] { work(first, 0); });
    std::jthread b([&] { work(second, 3); });
    std::jthread c([&] { work(first, 5); });
    std::jthread d([&] { work(second, 7); });
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(hits, 0);
  for (const std::string& name : ListFolder(folder_))
    EXPECT_FALSE(name.starts_with(".tmp")) << name;
}

// The system refuses to let a file grow (as on a full disk): keeping copies stops, once, with
// a message, and what the cache holds is still found.
TEST_F(VariantCacheTest, AFullDiskOnlyStopsKeepingCopies) {
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  cache.Store(Key(1), Copy('a'));
  {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction old_action;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old_action), 0);
    struct rlimit old_limit;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit small = old_limit;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    cache.Store(Key(2), Copy('b', 50000));
    cache.Store(Key(3), Copy('c'));  // would fit, but the cache has stopped keeping copies
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    ::sigaction(SIGXFSZ, &old_action, nullptr);
  }
  EXPECT_TRUE(cache.Usable());
  EXPECT_FALSE(cache.Writable());
  EXPECT_EQ(cache.Problem(), "Der Zwischenspeicher " + folder_ +
                                 " kann nicht beschrieben werden (Datei zu groß); verkleinerte "
                                 "Bilder werden diesmal nicht darin aufbewahrt.");
  TScaledCopy found;
  EXPECT_TRUE(cache.Find(Key(1), found));
  EXPECT_FALSE(cache.Find(Key(2), found));
  EXPECT_FALSE(cache.Find(Key(3), found));
  EXPECT_EQ(ListFolder(folder_), (std::vector<std::string>{Key(1).Hex() + ".entry"}));
}

// An entry's name taken by a folder costs that one entry: the run goes on keeping the others,
// and the note says which entry, where, and why, in German.
TEST_F(VariantCacheTest, AFolderInTheWayOfOneEntryCostsOnlyThatEntry) {
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  fs::create_directories(EntryPath(Key(1)) + "/inside");
  cache.Store(Key(1), Copy('a'));
  cache.Store(Key(2), Copy('b'));
  EXPECT_TRUE(cache.Writable());
  TScaledCopy found;
  EXPECT_FALSE(cache.Find(Key(1), found));
  ASSERT_TRUE(cache.Find(Key(2), found));
  EXPECT_EQ(found.jpeg, Copy('b').jpeg);
  EXPECT_EQ(cache.Problem(), "Der Zwischenspeicher " + folder_ + " kann den Eintrag " +
                                 Key(1).Hex() +
                                 ".entry nicht anlegen (ein Ordner); die anderen verkleinerten "
                                 "Bilder werden weiter darin aufbewahrt.");
  EXPECT_TRUE(fs::is_directory(EntryPath(Key(1)) + "/inside"));  // what was there stays
  for (const std::string& name : ListFolder(folder_))
    EXPECT_FALSE(name.starts_with(".tmp")) << name;
}

// A sparse file with an entry's name and a huge length takes almost nothing on the disk, and
// counts as that: it does not push the good entries out.
TEST_F(VariantCacheTest, ASparseFileDoesNotPushGoodEntriesOut) {
  {
    TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
    cache.Store(Key(1), Copy('a'));
    cache.Store(Key(2), Copy('b'));
  }
  {
    TFd junk(::open(EntryPath(Key(3)).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
    ASSERT_GE(junk.get(), 0);
    ASSERT_EQ(::ftruncate(junk.get(), 4'000'000'000), 0);
  }
  TVariantCache cache(SystemDisk(), folder_, kLimit, "p");
  cache.Store(Key(4), Copy('d'));
  cache.Trim();
  TScaledCopy found;
  for (int n : {1, 2, 4}) EXPECT_TRUE(cache.Find(Key(n), found)) << n;
  EXPECT_EQ(cache.Problem(), "");
}

// Without a place the note says why rather than naming an empty folder; a folder that cannot
// be made gives the reason of the step that failed.
TEST_F(VariantCacheTest, ACacheWithoutAPlaceSaysWhy) {
  TVariantCache nowhere(SystemDisk(), "", kLimit, "p");
  EXPECT_FALSE(nowhere.Usable());
  EXPECT_EQ(nowhere.Problem(),
            "Der Zwischenspeicher hat keinen Ort: Es gibt keinen persönlichen Ordner (HOME fehlt "
            "oder ist nicht vorhanden), und XDG_CACHE_HOME ist nicht gesetzt; die Bilder werden "
            "ohne ihn erzeugt.");

  // A parent that cannot be created (as on a read-only disk): the reason is its own, not
  // "nicht vorhanden" for the missing parent of the cache folder.
  fs::create_directories(dir_ / "locked");
  TFd locked(::open((dir_ / "locked").c_str(), O_RDONLY | O_DIRECTORY));
  int flags = 0;
  const bool as_root = ::geteuid() == 0;  // root may write anywhere, but not into what is immutable
  if (as_root && (::ioctl(locked.get(), FS_IOC_GETFLAGS, &flags) != 0 ||
                  (flags |= FS_IMMUTABLE_FL, ::ioctl(locked.get(), FS_IOC_SETFLAGS, &flags)) != 0))
    GTEST_SKIP() << "no immutable folders on this file system";
  if (!as_root) ::chmod((dir_ / "locked").c_str(), 0500);
  TVariantCache below_locked(SystemDisk(), dir_ / "locked/cache/vistrel", kLimit, "p");
  if (as_root) {
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(locked.get(), FS_IOC_SETFLAGS, &flags);
  } else {
    ::chmod((dir_ / "locked").c_str(), 0700);
  }
  EXPECT_EQ(below_locked.Problem(), "Der Zwischenspeicher " + (dir_ / "locked/cache/vistrel") +
                                        " kann nicht angelegt werden (keine Berechtigung); die "
                                        "Bilder werden ohne ihn erzeugt.");
}

TEST(VariantCacheFolderTest, TheFolderFollowsTheUsersCacheSetting) {
  {
    ScopedEnv cache("XDG_CACHE_HOME", "/var/cache/someone");
    EXPECT_EQ(TVariantCache::DefaultFolder("/home/u"), "/var/cache/someone/vistrel");
  }
  {
    ScopedEnv cache("XDG_CACHE_HOME", "relative/is/ignored");
    EXPECT_EQ(TVariantCache::DefaultFolder("/home/u"), "/home/u/.cache/vistrel");
  }
  ScopedEnv cache("XDG_CACHE_HOME", std::nullopt);
  EXPECT_EQ(TVariantCache::DefaultFolder("/home/u"), "/home/u/.cache/vistrel");
  EXPECT_EQ(TVariantCache::DefaultFolder(""), "");
}

}  // namespace
}  // namespace vistrel
