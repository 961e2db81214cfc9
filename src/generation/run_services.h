// The services a gallery run works through: everything it does to the machine or tells the
// user goes through these, so tests can replace each one.
//
//   images    scaled JPEG copies of a photo (the imaging module's libvips implementation)
//   files     the disk every file is read and written through, the user's home folder, the
//             mount points, the trash, and where the variant cache lives
//   messages  errors the user must see in a box ("Fehler"), such as an unreadable template
//   progress  the reports of the run (see progress.h)
//   cancel    set by the user to stop the run between images and pages
//
// The caller owns every service and keeps it alive while the run exists. Reports, messages and
// file services are used from the thread that runs the run; images from its worker threads too.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "generation/image_processor.h"
#include "model/progress.h"
#include "support/cancel_flag.h"
#include "support/disk.h"
#include "support/trash.h"
#include "support/user_messages.h"

namespace vistrel {

// What a run asks of the machine's files.
class TFileServices {
 public:
  virtual ~TFileServices() = default;
  // The disk: every file the run reads, makes or moves, goes through it.
  virtual TDisk& Disk() const = 0;
  // The user's home folder (resolved), or empty when there is none.
  virtual std::string HomeFolder() const = 0;
  // True when the resolved folder `path` is the root of a file system (a mount point or "/").
  virtual bool IsMountRoot(const std::string& path) const = 0;
  // Every mount point of the machine (resolved paths), for finding those below a folder.
  virtual std::vector<std::string> MountPoints() const = 0;
  // Where emptying the output folder puts the old files.
  virtual TTrash& Trash() = 0;
  // The folder of the variant cache (see variant_cache.h), or empty when there is none.
  virtual std::string CacheFolder() const = 0;
};

// The machine itself: its disk, $HOME, the mount points as the kernel sees them, the desktop
// trash, the user's cache folder.
class TSystemFiles : public TFileServices {
 public:
  // `disk` must outlive the object.
  explicit TSystemFiles(TDisk& disk = SystemDisk());
  TDisk& Disk() const override { return disk_; }
  std::string HomeFolder() const override { return home_; }
  bool IsMountRoot(const std::string& path) const override;
  std::vector<std::string> MountPoints() const override;
  TTrash& Trash() override { return *trash_; }
  std::string CacheFolder() const override;

 private:
  TDisk& disk_;
  std::string home_;
  std::unique_ptr<TTrash> trash_;
};

struct TRunServices {
  TImageProcessor& images;
  TFileServices& files;
  UserMessages& messages;
  TReportCallback progress;
  const TCancelFlag& cancel;
};

}  // namespace vistrel
