// Paths as text: splitting them, telling whether one lies below another, and the folders the
// desktop's conventions name. Nothing here looks at the disk (see disk.h for that).
//
// Free functions without state; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// True when `path` can be handed to the system as it is. The system takes a NUL byte as the
// end of a name, so a path holding one would name something else than it says ("..<NUL>x"
// becomes ".."); the disk refuses such a path, and so does everything that names generated
// files.
bool IsSystemPath(std::string_view path);

// The parts of a path between its "/" separators, in order, empty ones and "." and ".."
// included ("a//b/" gives "a", "", "b", "").
std::vector<std::string_view> SplitPath(std::string_view path);

// True when the resolved path `inner` is `outer` or lies below it.
bool IsSameOrBelow(const std::string& inner, const std::string& outer);

// The user's home folder as the environment names it ($HOME when it is absolute, else the
// user database), not resolved; empty when there is none.
std::string HomeFromEnvironment();
// A base folder of the desktop's conventions: the environment variable `variable` (such as
// "XDG_CACHE_HOME") when it is an absolute path, else `home` + "/" + `below_home`; empty when
// neither is absolute. A relative value is ignored, so nothing follows the current folder.
std::string XdgFolder(const char* variable, const std::string& home, const char* below_home);

}  // namespace vistrel
