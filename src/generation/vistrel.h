// The gallery run: one gallery made from one checked request, through the run's services.
//
// Run() empties the output folder first when the request asks for it (every entry into the
// trash, or nothing at all), then Generate() writes the scaled copies of every image for every
// image variant, copies the source images and the skin's "files" folder when asked or present,
// has one template engine per template read and plan its pages and then write them, and
// reports each step through the progress service (see progress.h). Every generated file is
// named and created through the run's TOutputFolder, so nothing existing is overwritten and
// nothing is written outside the output folder; the skin's files replace a differing file only
// after moving it to the trash (skin_files.h). The folder's run journal lets the next run
// remove what this run leaves unfinished if it dies.
//
// An image whose copies or original cannot be made because the photo cannot be read (or whose
// name cannot be used) is a failed image: it is reported ("Fehler beim Verarbeiten der
// Bilddatei ...!"), its files are removed, and the rest of the run goes on as if it were not in
// the list: no page, no link to it, not counted. The last line then says how many images failed
// instead of "Galerie erfolgreich erstellt!". When no image is left, or the output side fails
// (the folder cannot be made or written, a disk is full, a link or a folder is in the way), no
// gallery is made: the run stops at once and its last line, an error report, says so and why,
// naming the file and the system's reason (run_outcome.h).
//
// The run stops between images and between pages when the cancel service is set: files it
// reserved or began and did not finish are removed, finished ones stay, and it reports step 8
// ("Abgebrochen"). A run that fails leaves no unfinished file behind either.
//
// Images are processed on several threads, each image decoded once for all its variants, while
// file names are chosen, and reports made, variant by variant and image by image. Reports come
// from the thread that calls Run(). The records of the request and every service must outlive
// the run; one Run() per object.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "csv/skin.h"
#include "generation/output_folder.h"
#include "generation/run_outcome.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/variant_cache.h"
#include "model/gallery_properties.h"
#include "model/record.h"

namespace vistrel {

class TVistrel {
 public:
  TVistrel(const TRunRequest& request, TRunServices services);
  ~TVistrel();
  TVistrel(const TVistrel&) = delete;
  TVistrel& operator=(const TVistrel&) = delete;

  // Empties the output folder when asked, then generates. True when the gallery was finished
  // (also when some images failed); false after an error report, or when cancelled. Errors of
  // the template engine that are exceptions (EParserError) leave it.
  [[nodiscard]] bool Run();
  // The generation itself, without emptying.
  [[nodiscard]] bool Generate();

  // Passes a report on to the progress service; a SubStep or SubStepCount of -1 stands for the
  // current sub-step (the image variant or template being made) and their number.
  void Report(int step, int sub_step, int sub_step_count, int position, int max,
              const std::string& message);

  // After a run: whether it was cancelled, how many images failed, and the page that
  // "Galerie anzeigen" opens (the skin's start page for the first image shown), or empty when
  // there is no such page on the disk.
  bool Cancelled() const { return cancelled_; }
  int FailedImages() const { return failed_count_; }
  std::string StartPage() const;

  TVTLRecordList& Records() const { return *request_.records; }
  const TVTLGalleryProperties& Properties() const { return properties_; }
  const TVTLSkin& Skin() const { return *request_.skin; }
  // How many threads make the images: 0 (the default) for one more than there are
  // processors, at most 8.
  void SetImageThreads(int count) { threads_ = count; }

 private:
  // Gives every image its lists of variant and page files for this run, empty.
  void ListRunFiles();
  // Makes the output folder and begins its run; false after an error report.
  [[nodiscard]] bool BeginOutput();
  // Generate() once the output folder's run has begun. Throws EOutputError when the output
  // side fails.
  [[nodiscard]] bool GenerateFiles();
  // Fails every image whose name cannot be used: it holds a NUL, or a pattern would place one
  // of its files outside the output folder.
  void FailUnusableNames();
  // Writes the copies of every image for every image variant; false when cancelled. Throws
  // EOutputError (the first one) when a copy cannot be written.
  [[nodiscard]] bool CreateImageVariants();
  // The steps of CreateImageVariants() (vistrel_images.cpp), over what its threads share.
  struct TImageWork;
  // Creates every variant file of every image that is present, empty, in the order of the
  // reports; an image left without one of its files is marked as failed in `work`.
  void ReserveVariantFiles(TImageWork& work);
  // A worker thread: takes image after image until all are taken, the run is cancelled or the
  // output has failed.
  void RunImageWorker(TImageWork& work);
  // Makes and writes the copies of image `index`; false when its photo cannot be read. Throws
  // EOutputError when a copy cannot be written.
  [[nodiscard]] bool MakeImageCopies(TImageWork& work, int index);
  // Reports every image of every variant in order, the first variant's as its worker settles
  // it; false when the work stopped before all were settled.
  [[nodiscard]] bool ReportImages(TImageWork& work);
  // The variant cache of this run, or null when the request or the image processor keeps
  // copies out of it.
  std::unique_ptr<TVariantCache> OpenCache() const;
  // The copies of the photo `source`: those the cache holds taken from it, the others made
  // (the photo decoded once for them, or scaled from larger copies) and kept in it. False when
  // the photo cannot be read.
  [[nodiscard]] bool MakeCopiesWithCache(TVariantCache& cache, const std::string& source,
                                         const std::vector<TScaleRequest>& requests,
                                         std::vector<TScaledCopy>& copies);
  // Copies every photo that has not failed unchanged into the output folder, under its own
  // extension. Throws EOutputError when a copy cannot be written.
  void CopyOriginalFiles();
  // Takes the places out of the original `contents` of `record` before it is copied; false,
  // with a note naming it, when they cannot be taken out and the original is not copied.
  [[nodiscard]] bool RemoveLocation(const TVTLRecord& record, std::string& contents);
  [[nodiscard]] bool WritePages();
  TDisk& Disk() const { return services_.files.Disk(); }
  // Marks image `index` as failed: reported (with `reason`, when given, after the file's
  // name), and its files removed.
  void FailImage(int index, std::string_view reason = {});
  bool Stop();  // true (after cleaning up) when the run was cancelled
  // What the cancelled run leaves in the output folder, as step 8's message.
  std::string LeftInFolderLine();

  TRunRequest request_;
  TRunServices services_;
  TVTLGalleryProperties properties_;
  std::unique_ptr<TOutputFolder> output_;
  std::vector<bool> failed_;
  int failed_count_ = 0;
  bool cancelled_ = false;
  TRecordView shown_;
  int current_sub_step_ = 0;  // stands for a SubStep of -1 in Report()
  int sub_step_count_ = 0;    // stands for a SubStepCount of -1
  int threads_ = 0;
};

}  // namespace vistrel
