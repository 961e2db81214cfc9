// The desktop trash: where emptying a folder puts what it takes out, so nothing is lost.
//
// TTrash is what the program asks of a trash: find the trash that can take an entry, move the
// entry there, and put it back. TFreedesktopTrash is the trash Linux desktops share (the
// freedesktop.org layout of files/ and info/ folders), so file managers show and restore what
// it holds:
//   - entries on the device of the home trash go to $XDG_DATA_HOME/Trash (else
//     ~/.local/share/Trash), created with its missing parents, mode 0700;
//   - entries on other devices go to the trash at the top of their file system:
//     $topdir/.Trash/$uid when an administrator made $topdir/.Trash (a real folder with the
//     sticky bit), else $topdir/.Trash-$uid (created, mode 0700, and only used when it is a
//     real folder of the user's own).
// An entry is moved by one rename within its file system, never copied and never written
// through a link; its ".trashinfo" file (original path, time of deletion) is created first,
// exclusively. The trash name is the entry's own name, numbered when taken, and cut short when
// it and its ".trashinfo" would not fit a folder entry (the .trashinfo file keeps the whole
// original path). An entry that lies in a trash already (in the home trash, or in $topdir/.Trash
// or $topdir/.Trash-$uid of its file system) is refused: moving it would re-trash it. A trash
// folder is never the current folder or a relative path: the home trash is only used when its path
// is absolute.
//
// Every look at the disk and every move goes through the TDisk the trash is given. Objects hold
// no open files; calls may come from any one thread at a time.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

#include "support/disk.h"

namespace vistrel {

class TTrash {
 public:
  // Where a moved entry went, so the move can be undone.
  struct TTrashed {
    std::string original;    // where it was
    std::string files_path;  // where it is now
    std::string info_path;   // its .trashinfo file
  };

  virtual ~TTrash() = default;
  // The trash folder that takes `path` (an entry that exists), created when missing. False,
  // with a German `reason`, when no trash can take it or `path` lies in a trash already.
  [[nodiscard]] virtual bool Locate(const std::string& path, std::string& trash_folder,
                                    std::string& reason) = 0;
  // Moves `path` into its trash.
  [[nodiscard]] virtual bool Move(const std::string& path, TTrashed& trashed,
                                  std::string& reason) = 0;
  // Puts a moved entry back; false when its old place has been taken meanwhile.
  [[nodiscard]] virtual bool Restore(const TTrashed& trashed) = 0;
};

class TFreedesktopTrash : public TTrash {
 public:
  // The top folder of the file system holding the resolved path `path` (a mount root).
  using TTopFolderOf = std::function<std::string(const std::string& path)>;

  // `data_home` is the user's data folder ($XDG_DATA_HOME or ~/.local/share); when it is empty
  // or relative there is no home trash. `top_folder_of` defaults to MountRootOf() on `disk`,
  // which must outlive the trash.
  TFreedesktopTrash(TDisk& disk, std::string data_home, TTopFolderOf top_folder_of = {});

  // $XDG_DATA_HOME when it is an absolute path, else $HOME/.local/share, else empty.
  static std::string DataHomeFromEnvironment();

  [[nodiscard]] bool Locate(const std::string& path, std::string& trash_folder,
                            std::string& reason) override;
  [[nodiscard]] bool Move(const std::string& path, TTrashed& trashed, std::string& reason) override;
  [[nodiscard]] bool Restore(const TTrashed& trashed) override;

 private:
  // The home trash folder ($XDG_DATA_HOME/Trash), whether it exists or not; empty when there
  // is none.
  std::string HomeTrashPath() const;
  // A trash folder with its "files" and "info" folders, created as needed; empty when it
  // cannot be used.
  std::string HomeTrash() const;
  // The trash for `path`; `top` is the top folder of its file system when the trash lies
  // there, empty for the home trash. A trash that would lie inside the folder of `path` is
  // neither made nor used: the entry would not leave its folder. The answer for a folder is
  // kept until the next Locate(), so emptying a folder looks for its trash once.
  [[nodiscard]] bool Find(const std::string& path, std::string& trash_folder, std::string& top,
                          std::string& reason);
  // Find() without the kept answer, for the entry `path` in the resolved folder `parent` on
  // `device`.
  [[nodiscard]] bool FindAnew(const std::string& path, const std::string& parent, dev_t device,
                              std::string& trash_folder, std::string& top,
                              std::string& reason) const;
  std::string TopTrash(const std::string& top) const;
  // The trash folder (home trash, or $top/.Trash or $top/.Trash-$uid of the file system whose
  // top folder is `top`) that holds the resolved `folder` or is it; empty when none does.
  std::string TrashHolding(const std::string& folder, const std::string& top) const;

  // A trash folder that must belong to the user and be no link: true when `path` is such a
  // folder, after creating it (mode 0700) when it is missing.
  bool MakeOwnFolder(const std::string& path) const;
  bool HasFilesAndInfo(const std::string& trash, bool own) const;
  // True when the folder `path`, which need not exist yet, would lie at or below the resolved
  // folder `folder`.
  bool WouldLieIn(const std::string& path, const std::string& folder) const;
  dev_t DeviceOf(const std::string& path) const;

  TDisk& disk_;
  std::string data_home_;
  TTopFolderOf top_folder_of_;
  struct TFound {
    std::string parent;  // the resolved folder of the entries
    dev_t device = 0;    // and their file system
    std::string trash_folder, top;
  };
  std::optional<TFound> found_;
};

// The root of the file system that holds the resolved folder `path` (see TDisk::IsMountRoot(),
// with the mount points `listed` names, by default those the kernel lists), or empty when `path`
// is no folder.
std::string MountRootOf(TDisk& disk, const std::string& path, const TMountTable& listed = {});

// `path` percent-encoded as a .trashinfo file writes it (bytes other than letters, digits,
// "/" and -_.!~*'() become %XX).
std::string EncodeTrashPath(const std::string& path);

}  // namespace vistrel
