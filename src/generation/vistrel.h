// The generation driver: makes one gallery from the image list, a skin and the run's settings.
//
// Generate() writes the scaled copies of every image for every image variant, copies the source
// images and the skin's "files" folder when asked or present, has one template engine per
// template read and plan its pages and then write them, and reports each step through the
// callback (see progress.h). Every generated file is named and created through one
// TOutputFolder, so nothing existing is overwritten and nothing is written outside the output
// folder.
//
// Images are processed on several threads, each image decoded once for all its variants, while
// file names are chosen, and reports made, variant by variant and image by image. Reports come
// from the thread that calls Generate(). An image that cannot be processed is reported
// ("Fehler beim Verarbeiten der Bilddatei ...!") and the run goes on.
//
// Records, Properties, Skin, Images and Messages are borrowed and must outlive Generate().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/gallery_properties.h"
#include "model/image_processor.h"
#include "model/output_folder.h"
#include "model/progress.h"
#include "model/record.h"
#include "model/skin.h"

namespace vistrel {

class UserMessages;

class TVistrel {
 public:
  TVistrel();
  ~TVistrel();
  TVistrel(const TVistrel&) = delete;
  TVistrel& operator=(const TVistrel&) = delete;

  // Passes a report on to OnProgress; a SubStep or SubStepCount of -1 stands for the current one.
  void Report(int step, int sub_step, int sub_step_count, int position, int max,
              const std::string& message);
  // Makes the gallery; true when it was finished, false after an error was reported (step -1).
  // Errors of the template engine that are exceptions (EParserError, EOutputError) leave it.
  [[nodiscard]] bool Generate(TReportCallback on_progress);
  // Writes the copies of every image for the image variant in row `row` of ImageVariants.
  bool CreateImageVariant(int row);
  // Copies every source image whose name is a JPEG name unchanged into the output folder.
  void CopyOriginalFiles();

  TReportCallback OnProgress;
  TVTLRecordList* Records = nullptr;
  TVTLGalleryProperties* Properties = nullptr;
  const TVTLSkin* Skin = nullptr;
  int CurrentSubStep = 0;
  int SubStepCount = 0;
  TImageProcessor* Images = nullptr;  // how the copies are made
  UserMessages* Messages = nullptr;   // where template reading errors are shown
  int Threads = 0;                    // image threads; 0 for one more than processors, at most 8

 private:
  // Makes the copies of the variants in `rows` for every image.
  bool CreateImageVariants(const std::vector<int>& rows);
  bool CheckVariants();
  bool CheckFileNames();
  void ReportFailedImage(const TVTLRecord& record);
  TOutputFolder& Output();

  std::unique_ptr<TOutputFolder> output_;
};

}  // namespace vistrel
