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

// `name` (a folder when `folder`, else a regular file) beside the program in `program_folder`
// (with a trailing "/"), else in the installed data folder ../share/vistrel/ beside it, given
// without "..". When neither exists: for a folder the one beside the program, for a file empty.
std::string FindProgramData(const std::string& program_folder, const std::string& name,
                            bool folder);

}  // namespace vistrel
