#include "generation/run_services.h"

#include "generation/variant_cache.h"
#include "support/paths.h"

namespace vistrel {

TSystemFiles::TSystemFiles(TDisk& disk)
    : disk_(disk),
      home_(disk.RealPath(HomeFromEnvironment())),
      trash_(std::make_unique<TFreedesktopTrash>(disk,
                                                 TFreedesktopTrash::DataHomeFromEnvironment())) {}

std::string TSystemFiles::CacheFolder() const { return TVariantCache::DefaultFolder(home_); }

bool TSystemFiles::IsMountRoot(const std::string& path) const { return disk_.IsMountRoot(path); }

std::vector<std::string> TSystemFiles::MountPoints() const { return disk_.ListedMountPoints(); }

}  // namespace vistrel
