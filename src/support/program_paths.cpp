#include "support/program_paths.h"

#include <limits.h>
#include <unistd.h>

#include "support/file_io.h"

namespace vistrel {

namespace {

// `name` beside the program, else in the installed data folder.
std::string DataPath(const std::string& name, bool folder) {
  const std::string beside = ProgramFolder() + name;
  if (folder ? IsFolder(beside) : IsRegularFile(beside)) return beside;
  const std::string installed = ProgramFolder() + "../share/vistrel/" + name;
  if (folder ? IsFolder(installed) : IsRegularFile(installed)) return installed;
  return folder ? beside : std::string();
}

}  // namespace

std::string ProgramFolder() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

std::string SkinsFolder() { return DataPath("skins", true) + "/"; }

std::string HelpFile() { return DataPath("doc/vistrel.html", false); }

}  // namespace vistrel
