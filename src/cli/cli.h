// The command-line program vistrel-cli: galleries, metadata and the skin catalogue for scripts
// and machines without a display. It runs the same model code as the desktop program.
//
//   vistrel-cli generate --skin SKINFILE --out DIR [options] [IMAGE...]
//   vistrel-cli metadata FILE...
//   vistrel-cli skins FOLDER
//   vistrel-cli --help | --version, and --help after any command
//
// The commands and their options are the table of cli/command_table.h. RunCli() is the whole
// program apart from starting the image library, so tests can run it in the process with their
// own output streams. Exit status: 0 success (help and version included); 1 a failed run or an
// error report (an empty list, images that failed, an output folder or file that cannot be
// written, a skin file that cannot be copied: the log on stdout says which, as its last lines);
// 2 a usage error, a list file or a skin that fails to load; 130 when SIGINT or SIGTERM asked
// it to stop (see stop_signals.h; main() installs the handlers): a run going on is cancelled
// and its log ends with "Abgebrochen", before a run nothing is printed. Every error of a run
// stands in the log on stdout, also when stderr repeats it.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vistrel {

// The hidden first argument with which the shell's completion asks what to offer for the last
// of the words after it (see CompleteCommandLine()).
inline constexpr char kCompleteCommand[] = "__complete";

// `args` without the program name. Writes results, help and version to `out`, messages to
// `err`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vistrel
