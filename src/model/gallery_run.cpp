#include "model/gallery_run.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

#include "support/file_io.h"
#include "support/file_operations.h"

namespace vistrel {

namespace {

bool IsFileSystemRoot(const std::string& resolved) {
  if (resolved == "/") return true;
  struct stat self, parent;
  return ::stat(resolved.c_str(), &self) == 0 && ::stat((resolved + "/..").c_str(), &parent) == 0 &&
         self.st_dev != parent.st_dev;
}

}  // namespace

bool MayEmptyFolder(const std::string& folder, const TVTLRecordList& records,
                    const std::vector<std::string>& protected_folders) {
  const std::string resolved = RealPath(folder);
  if (resolved.empty()) return false;
  if (IsFileSystemRoot(resolved)) return false;
  const char* home = std::getenv("HOME");
  if (home && IsSameOrBelow(RealPath(home), resolved)) return false;
  for (const std::string& kept : protected_folders)
    if (IsSameOrBelow(RealPath(kept), resolved)) return false;
  for (int i = 0; i < records.Count(); ++i)
    if (IsSameOrBelow(RealPath(records.Item(i).Directory), resolved)) return false;
  return true;
}

bool RunGallery(TVistrel& driver, bool empty_first, const std::string& output_path,
                const std::vector<std::string>& protected_folders, const TReportCallback& report) {
  if (empty_first && IsFolder(output_path)) {
    if (!MayEmptyFolder(output_path, *driver.Records, protected_folders)) {
      report(kStepError, 0, 0, 0, 0,
             "Das Verzeichnis " + output_path + " kann nicht geleert werden!");
      return false;
    }
    report(kStepEmptying, 0, 0, 0, 0, "");
    EmptyDirectory(output_path);
  }
  return driver.Generate(report);
}

}  // namespace vistrel
