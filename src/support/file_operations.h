// Folder operations that run without asking anything: emptying a folder before a gallery is
// written into it.
//
// They never show a question, a progress or an error window. Emptying moves every entry to the
// desktop trash (see trash.h), completely or not at all: before anything moves, each entry must
// have a trash outside the folder that can take it, and every entry at any depth must lie on
// the folder's own file system (a file system mounted anywhere below refuses the emptying); an
// entry that then still fails to leave the folder brings those moved before it back. Nothing
// is ever deleted for good. (The skin's static files are copied into a gallery by the run
// itself, see skin_files.h.)
//
// Free functions without state; each call blocks its thread until done. Everything they look at
// and move goes through the disk they are given.
#pragma once

#include <string>

namespace vistrel {

class TDisk;
class TTrash;

// Operation codes of ShellFileOperation().
enum class TFileOperation { kMove = 1, kCopy = 2, kDelete = 3, kRename = 4 };

// Carries out `operation` on the entries named by the absolute `path`, whose last component may
// hold the wildcards "*" and "?" ("*.*" matches every name, also one without a dot). Only
// deletion is possible without a target: it moves the matching entries into `trash`, all or
// none. Move, copy and rename need a target and return false. False, with a German `reason`,
// when the entries stay where they were.
[[nodiscard]] bool ShellFileOperation(TDisk& disk, const std::string& path,
                                      TFileOperation operation, TTrash& trash, std::string& reason);

// Empties `directory` (with or without a trailing "/"): ShellFileOperation() of
// directory + "/*.*" with kDelete. The directory itself stays.
[[nodiscard]] bool EmptyDirectory(TDisk& disk, const std::string& directory, TTrash& trash,
                                  std::string& reason);

}  // namespace vistrel
