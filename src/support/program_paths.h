// Where the program finds its own files: the skins and the user guide.
//
// They lie beside the executable (a build tree) or, installed, in ../share/vistrel/ next to the
// folder of the executable. Free functions; safe from any thread.
#pragma once

#include <string>

namespace vistrel {

// The folder of the running executable, with a trailing "/".
std::string ProgramFolder();
// The folder of the shipped skins, with a trailing "/".
std::string SkinsFolder();
// The user guide (an HTML file), or empty when it is not there.
std::string HelpFile();

}  // namespace vistrel
