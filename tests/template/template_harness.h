// Runs templates the way a gallery run does, over records made without image files: every
// template is read and planned before any is written. Pages are read back with "\r\n" turned
// into "\n" so expectations stay readable.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "generation/output_folder.h"
#include "model/gallery_properties.h"
#include "model/record.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "template/parser.h"
#include "test_support.h"

namespace vistrel::testing {

class TemplateHarness {
 public:
  TemplateHarness();

  // An image "<name>" in folder /photos/ with the given size.
  TVTLRecord& AddImage(const std::string& name, int width = 640, int height = 480);
  void AddImages(int count);  // img1.jpg .. imgN.jpg
  void AddProperty(const std::string& name) { records.AddProperty(name); }
  void SetValue(const std::string& name, const std::string& value);  // an entered value
  void AddVariant(const std::string& name);
  void AddTemplate(const std::string& file, const std::string& name,
                   const std::string& new_file_name, const std::string& contents);

  // Reads and plans every template, then writes every one; false at the first failure.
  bool Run();
  // A page below the output folder, line ends as "\n".
  std::string Page(const std::string& relative) const;
  std::vector<std::string> OutputFiles() const { return ListFolder(out_dir); }
  // The relative page of image `index` in template `template_index`.
  std::string PageOf(int index, int template_index = 0) const;

  TempDir dir;
  std::string skin_dir, out_dir;
  TVTLRecordList records;
  TVTL2dValueList patterns;
  TVTLGalleryProperties properties;
  std::vector<std::string> reports;  // "step|message"
  RecordedMessages messages;
  std::vector<std::unique_ptr<TVTLParser>> parsers;
  size_t max_page_size = kMaxPageSize;
  // The size of each variant's copy, the same for every image.
  std::vector<std::pair<uint32_t, uint32_t>> sizes;

 private:
  TLogger log_;
};

// Joins lines with "\n" after a leading "\n", as a page written from them reads.
std::string PageText(const std::vector<std::string>& lines);

}  // namespace vistrel::testing
