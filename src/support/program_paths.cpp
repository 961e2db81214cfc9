#include "support/program_paths.h"

#include <limits.h>
#include <unistd.h>

#include <filesystem>

#include "support/disk.h"

namespace vistrel {

std::string FindProgramData(const std::string& program_folder, const std::string& name,
                            bool folder) {
  TDisk& disk = SystemDisk();
  const std::string beside = program_folder + name;
  if (folder ? disk.IsFolder(beside) : disk.IsRegularFile(beside)) return beside;
  // Installed, the program lies in /usr/bin and its data in /usr/share/vistrel: the path is
  // shown to the user (the skin's folder), so it names that folder without "/usr/bin/..".
  const std::string installed =
      std::filesystem::path(program_folder + "../share/vistrel/" + name).lexically_normal();
  if (folder ? disk.IsFolder(installed) : disk.IsRegularFile(installed)) return installed;
  return folder ? beside : std::string();
}

std::string ProgramFolder() {
  char buffer[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

std::string SkinsFolder() { return FindProgramData(ProgramFolder(), "skins", true) + "/"; }

std::string HelpFile() { return FindProgramData(ProgramFolder(), "doc/vistrel.html", false); }

}  // namespace vistrel
