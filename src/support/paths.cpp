#include "support/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace vistrel {

bool IsSystemPath(std::string_view path) { return path.find('\0') == std::string_view::npos; }

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool IsSameOrBelow(const std::string& inner, const std::string& outer) {
  if (inner.empty() || outer.empty()) return false;
  if (inner == outer || outer == "/") return true;
  return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
         inner[outer.size()] == '/';
}

std::string HomeFromEnvironment() {
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return home;
  if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir && user->pw_dir[0] == '/')
    return user->pw_dir;
  return {};
}

std::string XdgFolder(const char* variable, const std::string& home, const char* below_home) {
  if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
  if (!home.empty() && home[0] == '/') return home + "/" + below_home;
  return {};
}

}  // namespace vistrel
