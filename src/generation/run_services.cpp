#include "generation/run_services.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string_view>

#include "generation/variant_cache.h"
#include "support/file_io.h"
#include "support/text.h"

namespace vistrel {

namespace {

// A mount point as /proc/self/mountinfo writes it: blanks and the like as \ooo.
std::string UnescapeMountPoint(std::string_view escaped) {
  std::string point;
  for (size_t i = 0; i < escaped.size(); ++i) {
    const std::string_view octal = escaped.substr(i + 1, 3);
    if (escaped[i] == '\\' && octal.size() == 3 &&
        octal.find_first_not_of("01234567") == std::string_view::npos) {
      point.push_back(
          static_cast<char>((octal[0] - '0') * 64 + (octal[1] - '0') * 8 + (octal[2] - '0')));
      i += 3;
    } else {
      point.push_back(escaped[i]);
    }
  }
  return point;
}

// True when `path` is a mount point the kernel lists (the fifth field of a mountinfo line).
bool IsListedMountPoint(const std::string& path) {
  std::string contents;
  if (!ReadWholeFile("/proc/self/mountinfo", contents)) return false;
  for (const std::string& line : SplitTextLines(contents)) {
    std::istringstream fields(line);
    std::string field;
    int read = 0;
    while (read < 5 && fields >> field) ++read;
    if (read == 5 && UnescapeMountPoint(field) == path) return true;
  }
  return false;
}

}  // namespace

TSystemFiles::TSystemFiles()
    : trash_(std::make_unique<TFreedesktopTrash>(TFreedesktopTrash::DataHomeFromEnvironment())) {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    home_ = RealPath(home);
  } else if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) {
    home_ = RealPath(user->pw_dir);
  }
}

std::string TSystemFiles::CacheFolder() const { return TVariantCache::DefaultFolder(home_); }

bool TSystemFiles::IsMountRoot(const std::string& path) const {
  if (path == "/") return true;
  struct stat self;
  struct stat parent;
  if (::stat(path.c_str(), &self) != 0 || ::stat((path + "/..").c_str(), &parent) != 0)
    return false;
  // A different device than the folder above it, or a bind mount the kernel lists.
  return self.st_dev != parent.st_dev || self.st_ino == parent.st_ino || IsListedMountPoint(path);
}

}  // namespace vistrel
