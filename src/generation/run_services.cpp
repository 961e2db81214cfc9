#include "generation/run_services.h"

#include "generation/variant_cache.h"
#include "support/file_io.h"

namespace vistrel {

TSystemFiles::TSystemFiles()
    : home_(RealPath(HomeFromEnvironment())),
      trash_(std::make_unique<TFreedesktopTrash>(TFreedesktopTrash::DataHomeFromEnvironment())) {}

std::string TSystemFiles::CacheFolder() const { return TVariantCache::DefaultFolder(home_); }

bool TSystemFiles::IsMountRoot(const std::string& path) const { return vistrel::IsMountRoot(path); }

std::vector<std::string> TSystemFiles::MountPoints() const { return ListedMountPoints(); }

}  // namespace vistrel
