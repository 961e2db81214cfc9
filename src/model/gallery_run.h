// One gallery run as the user starts it: the output folder emptied first when asked, then the
// driver's Generate(). The progress window and the command-line program both run galleries
// through this, so emptying is reported (step 7) and guarded the same way in both.
//
// Emptying is refused, with the report "Das Verzeichnis <folder> kann nicht geleert werden!" and
// no run, for a file-system root, the user's home folder or a folder above it, and a folder that
// holds a source image of the list or one of the protected folders (the program's skins, the
// skin in use). A folder that does not exist is neither reported nor created here.
//
// Runs on the caller's thread; reports come from that thread too.
#pragma once

#include <string>
#include <vector>

#include "model/progress.h"
#include "model/record.h"
#include "model/vistrel.h"

namespace vistrel {

// True when emptying `folder` can lose nothing the program or the list relies on.
bool MayEmptyFolder(const std::string& folder, const TVTLRecordList& records,
                    const std::vector<std::string>& protected_folders);

// Empties `output_path` first when `empty_first` is set and it exists, then generates. The
// result of Generate(), or false when emptying was refused.
bool RunGallery(TVistrel& driver, bool empty_first, const std::string& output_path,
                const std::vector<std::string>& protected_folders, const TReportCallback& report);

}  // namespace vistrel
