#include "generation/vistrel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>

#include "generation/skin_files.h"
#include "model/copy_format.h"
#include "model/file_naming.h"
#include "model/photo_format.h"
#include "support/disk.h"
#include "support/file_operations.h"
#include "support/paths.h"
#include "support/text.h"
#include "template/parser.h"

namespace vistrel {

namespace {

constexpr int kMaxImageThreads = 8;

// The extension argument of a page name: ".html" for an empty pattern.
std::string PageExtension(const std::string& pattern) { return pattern.empty() ? ".html" : ""; }

// The extension of the copy of photo `file_name` for an image variant of the run.
std::string CopyExtension(const TImageVariant& variant, const std::string& file_name) {
  return ImageFormatExtension(variant.scale.format, file_name);
}

}  // namespace

TVistrel::TVistrel(const TRunRequest& request, TRunServices services)
    : request_(request), services_(std::move(services)) {
  FillGallerySettings(properties_, request_);
}

TVistrel::~TVistrel() = default;

void TVistrel::Report(int step, int sub_step, int sub_step_count, int position, int max,
                      const std::string& message) {
  if (!services_.progress) return;
  services_.progress(step, sub_step == -1 ? current_sub_step_ : sub_step,
                     sub_step_count == -1 ? sub_step_count_ : sub_step_count, position, max,
                     message);
}

bool TVistrel::Stop() {
  if (!services_.cancel.Cancelled()) return false;
  cancelled_ = true;
  if (output_) output_->RemoveUnfinished();
  Report(kStepCancelled, 0, 0, 0, 0, output_ ? LeftInFolderLine() : "");
  return true;
}

std::string TVistrel::LeftInFolderLine() {
  // Pages are shared by the images on them: each is counted once.
  std::unordered_set<std::string> pages;
  int images = 0;
  for (int j = 0; j < Records().Count(); ++j) {
    const TVTLRecord& record = Records().Item(j);
    for (int v = 0; record.VariantFiles && v < record.VariantFiles->Count(); ++v)
      images += output_->IsFinished(record.VariantFiles->Value(v)) ? 1 : 0;
    images += output_->IsFinished(record.OriginalFile) ? 1 : 0;
    for (int t = 0; record.PageFiles && t < record.PageFiles->Count(); ++t)
      if (output_->IsFinished(record.PageFiles->Value(t))) pages.insert(record.PageFiles->Value(t));
  }
  return CancelledLine(images, static_cast<int>(pages.size()), properties_.OutputDirectory);
}

bool TVistrel::Run() {
  if (Stop()) return false;
  if (request_.empty_output && Disk().IsFolder(request_.output_folder)) {
    Report(kStepEmptying, 0, 0, 0, 0, "");
    std::string reason;
    if (!EmptyDirectory(Disk(), request_.output_folder, services_.files.Trash(), reason)) {
      Report(kStepError, 0, 0, 0, 0,
             "Das Verzeichnis " + request_.output_path + " kann nicht geleert werden!");
      Report(kStepError, 0, 0, 0, 0, reason);
      return false;
    }
  }
  return Generate();
}

namespace {

// Why the photo at `path` failed, when it is a file but no photo of a format the program
// decodes; empty otherwise (the error line then names the file only).
std::string_view FailureReason(TDisk& disk, const std::string& path) {
  return disk.IsRegularFile(path) && !IsPhotoFile(path, disk) ? kUnsupportedFormatText : "";
}

}  // namespace

void TVistrel::FailImage(int index, std::string_view reason) {
  if (failed_[static_cast<size_t>(index)]) return;
  failed_[static_cast<size_t>(index)] = true;
  ++failed_count_;
  TVTLRecord& record = Records().Item(index);
  Report(kStepError, 0, 0, 0, 0,
         "Fehler beim Verarbeiten der Bilddatei " + PrintableName(record.FullPath()) + "!" +
             (reason.empty() ? "" : " " + std::string(reason)));
  if (!record.VariantFiles) return;
  for (int v = 0; v < record.VariantFiles->Count(); ++v) {
    // A file that is gone already, or was replaced by someone else's, is left as it is.
    if (!record.VariantFiles->Value(v).empty())
      (void)output_->Remove(record.VariantFiles->Value(v));
    record.VariantFiles->SetValue(v, "");
  }
}

bool TVistrel::Generate() {
  Report(kStepStart, 0, 0, 0, 0, "");
  TVTLRecordList& records = Records();
  const int images = records.Count();

  // Every image gets its lists of variant files and page files for this run; the names lists
  // live as long as the last list built on them.
  auto variant_names = std::make_shared<TNamesList>();
  for (const TImageVariant& variant : properties_.ImageVariants)
    variant_names->push_back(variant.name);
  auto page_names = std::make_shared<TNamesList>();
  const TVTL2dValueList& patterns = *properties_.HTMLPatterns;
  for (int i = 0; i < patterns.Count(); ++i)
    page_names->push_back(patterns.Row(i).Value(THTMLPatternValueList::kName));
  for (int j = 0; j < images; ++j) {
    // Without image variants there is nothing to list (and a large list saves the memory).
    records.Item(j).VariantFiles =
        variant_names->empty() ? nullptr : std::make_unique<TVTLValueList>(variant_names);
    records.Item(j).PageFiles = std::make_unique<TVTLValueList>(page_names);
    records.Item(j).VariantSizes.assign(variant_names->size(), {0, 0});
    records.Item(j).OriginalFile.clear();
  }
  failed_.assign(static_cast<size_t>(images), false);
  failed_count_ = 0;
  shown_.clear();

  // Folders are made as the user's other folders are (the umask decides who may read them).
  if (const TDiskStatus made = Disk().MakeFolders(properties_.OutputDirectory, 0777); !made.Ok()) {
    Report(kStepError, 0, 0, 0, 0, "Kann Ausgabeverzeichnis nicht erstellen!");
    std::string folder = properties_.OutputDirectory;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    Report(kStepError, 0, 0, 0, 0,
           NoGalleryLine(OutputFolderMissingReason(
               properties_.OutputDirectory, Disk().EntryInTheWay(folder, true, made.Error()))));
    return false;
  }
  output_ = std::make_unique<TOutputFolder>(Disk(), properties_.OutputDirectory);
  output_->SetGalleryId(request_.gallery_id);
  if (request_.update)
    output_->SetUpdate(services_.files.Trash(),
                       [this](const std::string& note) { Report(kStepNote, 0, 0, 0, 0, note); });
  if (const TDiskStatus begun = output_->BeginRun(); !begun.Ok()) {
    Report(kStepError, 0, 0, 0, 0,
           NoGalleryLine(OutputFolderClosedReason(properties_.OutputDirectory,
                                                  SystemErrorText(begun.Error()))));
    return false;
  }
  // However the run ends, it leaves no file behind that it began and did not finish, and no
  // journal.
  struct TCleanup {
    TOutputFolder& output;
    ~TCleanup() { output.EndRun(); }
  } cleanup{*output_};
  try {
    return GenerateFiles();
  } catch (const EOutputError& failure) {
    // The output side is the same for every image and page: one report, and the run ends.
    output_->RemoveUnfinished();
    Report(kStepError, 0, 0, 0, 0,
           NoGalleryLine(OutputFileReason(failure.Path(), failure.Reason())));
    return false;
  }
}

bool TVistrel::GenerateFiles() {
  TVTLRecordList& records = Records();
  const int images = records.Count();
  const TVTL2dValueList& patterns = *properties_.HTMLPatterns;

  // An image whose name cannot be used (it holds a NUL, or a pattern would place one of its
  // files outside the output folder) fails before anything is made for it.
  for (int j = 0; j < images; ++j) {
    const TVTLRecord& record = records.Item(j);
    const std::string old_name = RemoveFileExt(record.FileName);
    const std::string extension = ExtractFileExt(record.FileName);
    bool usable = IsSystemPath(record.Directory) && IsSystemPath(record.FileName);
    for (const TImageVariant& variant : properties_.ImageVariants)
      usable = usable && IsNameInsideFolder(variant.pattern, old_name,
                                            CopyExtension(variant, record.FileName));
    for (int t = 0; usable && t < patterns.Count(); ++t) {
      const std::string& pattern = patterns.Row(t).Value(THTMLPatternValueList::kNewFileName);
      usable = IsNameInsideFolder(pattern, old_name, PageExtension(pattern));
    }
    if (usable && properties_.CopyOriginals) usable = IsNameInsideFolder(old_name, "", extension);
    if (!usable) FailImage(j);
  }

  // What keeps the skin's files from their place is found before any picture is made.
  const std::string files_folder = Skin().Directory + "files";
  std::optional<TSkinFiles> skin_files;
  if (Disk().IsFolder(files_folder, /*follow_links=*/false)) {
    skin_files.emplace(Disk(), files_folder, *output_, services_.files.Trash());
    skin_files->Check();
  }

  if (!CreateImageVariants()) {
    Stop();
    return false;
  }
  if (properties_.CopyOriginals) {
    Report(kStepCopying, 0, 0, 0, 0, "");
    CopyOriginalFiles();
  }
  // Images that failed because the user stopped their work make a cancelled run, not an
  // empty gallery.
  if (Stop()) return false;
  for (int j = 0; j < images; ++j)
    if (!failed_[static_cast<size_t>(j)]) shown_.push_back(&records.Item(j));
  if (shown_.empty()) {
    Report(kStepError, 0, 0, 0, 0,
           NoGalleryLine(images == 0 ? EmptyListReason() : NoImageReason(images)));
    return false;
  }
  if (skin_files) {
    Report(kStepCopying, 0, 0, 0, 0, "");
    skin_files->Copy([this](const std::string& note) { Report(kStepNote, 0, 0, 0, 0, note); });
  }

  if (!WritePages()) {
    Stop();
    return false;
  }
  for (int j = 0; j < images; ++j) {
    records.Item(j).VariantFiles.reset();
    records.Item(j).VariantSizes.clear();
    records.Item(j).OriginalFile.clear();
  }
  output_->ReplaceOldGallery();
  Report(kStepFinished, 0, 0, 0, 0, FailedImagesLine(failed_count_));
  return true;
}

bool TVistrel::WritePages() {
  const TVTL2dValueList& patterns = *properties_.HTMLPatterns;
  std::vector<std::unique_ptr<TVTLParser>> parsers;
  for (int i = 0; i < patterns.Count(); ++i) {
    TParserContext context;
    context.records = shown_;
    context.properties = &properties_;
    context.output = output_.get();
    context.disk = &Disk();
    context.messages = &services_.messages;
    context.cancel = &services_.cancel;
    context.confine_to_folder = Skin().Directory;
    parsers.push_back(std::make_unique<TVTLParser>(std::move(context)));
  }
  const TReportCallback report = [this](int step, int sub_step, int count, int position, int max,
                                        const std::string& message) {
    Report(step, sub_step, count, position, max, message);
  };
  for (int i = 0; i < patterns.Count(); ++i) {
    if (services_.cancel.Cancelled()) return false;
    sub_step_count_ = patterns.Count();
    current_sub_step_ = i + 1;
    Report(kStepTemplates, i + 1, patterns.Count(), 0, 0, "");
    parsers[i]->RefreshVariables();
    const std::string file = patterns.Row(i).Value(THTMLPatternValueList::kFileName);
    if (!parsers[i]->ReadTemplate(Skin().Directory + file, report)) return false;
    if (!parsers[i]->PlanPages(i, report)) {
      if (!services_.cancel.Cancelled()) Report(kStepError, 0, 0, 0, 0, "Fehler!");
      return false;
    }
  }
  for (int i = 0; i < patterns.Count(); ++i) {
    sub_step_count_ = patterns.Count();
    current_sub_step_ = i + 1;
    if (!parsers[i]->WritePages(i, report)) {
      if (!services_.cancel.Cancelled()) Report(kStepError, 0, 0, 0, 0, "Fehler!");
      return false;
    }
  }
  return true;
}

bool TVistrel::CreateImageVariants() {
  TVTLRecordList& records = Records();
  const int images = records.Count();
  const int variants = static_cast<int>(properties_.ImageVariants.size());
  if (images == 0 || variants == 0) return true;

  // A photo that is not there (a list from another machine) gets no names: it fails in its
  // turn below without a file made and removed for each of its variants.
  std::vector<bool> present(static_cast<size_t>(images));
  for (int j = 0; j < images; ++j)
    present[static_cast<size_t>(j)] =
        !failed_[static_cast<size_t>(j)] && Disk().IsRegularFile(records.Item(j).FullPath());

  // Names first, in the order of the reports: variant by variant, image by image. Each file is
  // created (empty) as its name is chosen, so later names see it.
  std::vector<TScaleRequest> requests;
  std::vector<std::vector<std::string>> paths(static_cast<size_t>(images));
  for (int v = 0; v < variants; ++v) {
    const TImageVariant& variant = properties_.ImageVariants[static_cast<size_t>(v)];
    requests.push_back(variant.scale);
    for (int j = 0; j < images; ++j) {
      TVTLRecord& record = records.Item(j);
      std::string path;
      // A name the system will not take fails the image (reported below); a folder that
      // takes no file throws.
      if (present[static_cast<size_t>(j)] &&
          output_->Create(variant.pattern, RemoveFileExt(record.FileName),
                          CopyExtension(variant, record.FileName),
                          path) != TOutputFolder::TResult::kCreated)
        path.clear();
      record.VariantFiles->SetValue(v, path);
      paths[static_cast<size_t>(j)].push_back(std::move(path));
    }
  }

  // Copies kept from earlier runs are taken as they are; the rest are made and kept. A cache
  // that cannot be used costs nothing more than its note: no photo is hashed for it.
  const std::unique_ptr<TVariantCache> opened = OpenCache();
  TVariantCache* cache = opened && opened->Usable() ? opened.get() : nullptr;

  // Then the pixels, image by image on every processor; each image is decoded once for the
  // copies that must be made. A photo that cannot be read fails its image; a copy that cannot
  // be written fails the run, since the next one would fare no better. Workers take no new
  // image once the run is cancelled or the output has failed.
  enum class TState : unsigned char { kPending, kDone, kFailed };
  std::vector<TState> states(static_cast<size_t>(images), TState::kPending);
  // An image without a file for each variant has failed already: it is not even read, and the
  // reporting loop below need not wait for a worker to say so.
  for (int j = 0; j < images; ++j) {
    const std::vector<std::string>& files = paths[static_cast<size_t>(j)];
    if (std::any_of(files.begin(), files.end(), [](const std::string& p) { return p.empty(); }))
      states[static_cast<size_t>(j)] = TState::kFailed;
  }
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<int> next{0};
  std::optional<EOutputError> output_failure;  // the first one; guarded by `mutex`
  std::atomic<bool> output_failed{false};
  auto stopped = [&] { return services_.cancel.Cancelled() || output_failed; };
  auto work = [&] {
    for (int j = next++; j < images && !stopped(); j = next++) {
      // Set before the workers began; from now on only the worker that took `j` sets it.
      if (states[static_cast<size_t>(j)] != TState::kPending) continue;
      const std::vector<std::string>& files = paths[static_cast<size_t>(j)];
      bool ok = true;
      try {
        std::vector<TScaledCopy> copies;
        TVTLRecord& record = records.Item(j);
        ok = ok && (cache ? MakeCopiesWithCache(*cache, record.FullPath(), requests, copies)
                          : services_.images.ScaleImage(record.FullPath(), requests, copies));
        for (int v = 0; ok && v < variants; ++v) {
          const TScaledCopy& copy = copies[static_cast<size_t>(v)];
          ok = !copy.jpeg.empty();
          if (!ok) break;
          TOutputFile file = output_->OpenCreated(files[static_cast<size_t>(v)]);
          file.Write(copy.jpeg);
          output_->Finish(file);
          record.VariantSizes[static_cast<size_t>(v)] = {copy.width, copy.height};
        }
      } catch (const EOutputError& failure) {
        std::lock_guard lock(mutex);
        if (!output_failure) output_failure = failure;
        output_failed = true;
        done.notify_all();
        break;
      } catch (...) {
        ok = false;  // nothing may leave a worker thread; the image is reported as failed
      }
      std::lock_guard lock(mutex);
      states[static_cast<size_t>(j)] = ok ? TState::kDone : TState::kFailed;
      done.notify_all();
    }
    // A stopped worker wakes the reporting loop, which then stops too.
    std::lock_guard lock(mutex);
    done.notify_all();
  };
  // One thread more than there are processors keeps every processor busy while a thread waits
  // for its file; more would only cost memory.
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int automatic = std::min(processors + 1, kMaxImageThreads);
  const int thread_count = std::min(images, threads_ > 0 ? threads_ : automatic);
  std::vector<std::jthread> threads;
  for (int t = 0; t < thread_count; ++t) threads.emplace_back(work);

  sub_step_count_ = variants;
  const bool finished = [&] {
    for (int v = 0; v < variants; ++v) {
      current_sub_step_ = v + 1;
      for (int j = 0; j < images; ++j) {
        bool failed = false;
        if (v == 0) {
          std::unique_lock lock(mutex);
          done.wait(lock, [&] {
            return states[static_cast<size_t>(j)] != TState::kPending || stopped();
          });
          if (states[static_cast<size_t>(j)] == TState::kPending || output_failed) return false;
          failed = states[static_cast<size_t>(j)] == TState::kFailed;
        }
        // The image's own report first: an error of the first image then stands under the
        // step's line, as every other error does.
        Report(kStepImages, -1, -1, j + 1, images, "");
        if (failed) FailImage(j, FailureReason(Disk(), records.Item(j).FullPath()));
      }
    }
    return true;
  }();
  threads.clear();  // waits for every worker
  if (cache) cache->Trim();
  if (opened) {
    if (const std::string problem = opened->Problem(); !problem.empty())
      Report(kStepNote, 0, 0, 0, 0, problem);
  }
  if (output_failure) throw *output_failure;
  return finished;
}

std::unique_ptr<TVariantCache> TVistrel::OpenCache() const {
  if (!request_.use_cache) return nullptr;
  const std::string identity = services_.images.Identity();
  if (identity.empty()) return nullptr;
  return std::make_unique<TVariantCache>(Disk(), services_.files.CacheFolder(),
                                         request_.cache_size_limit, identity);
}

bool TVistrel::MakeCopiesWithCache(TVariantCache& cache, const std::string& source,
                                   const std::vector<TScaleRequest>& requests,
                                   std::vector<TScaledCopy>& copies) {
  copies.assign(requests.size(), TScaledCopy());
  // Each worker thread reads its photos into one buffer, kept from photo to photo: a photo's
  // bytes are the largest block a run allocates, and a new block for every photo left the C
  // library's memory pool scattered between the small blocks that live on (names, records), so
  // that a run's resident memory grew with every photo.
  thread_local std::string bytes;
  TCopyPlan plan;
  if (!Disk().ReadFile(source, bytes).Ok() || !services_.images.PlanCopies(bytes, requests, plan))
    return false;
  // A copy made from a larger one is keyed by that one's key; sources are always larger, so
  // going from the largest copy down every source's key is there first.
  const THash128 contents = Hash128(bytes);
  std::vector<std::optional<THash128>> keys(requests.size());
  std::function<THash128(size_t)> key_of = [&](size_t v) {
    if (!keys[v]) {
      const int from = plan.sources[v];
      keys[v] = from < 0 ? cache.KeyOf(contents, requests[v])
                         : cache.KeyOf(key_of(static_cast<size_t>(from)), requests[v], true);
    }
    return *keys[v];
  };
  std::vector<size_t> missing;
  for (size_t v = 0; v < requests.size(); ++v)
    if (!cache.Find(key_of(v), copies[v])) missing.push_back(v);
  if (missing.empty()) return true;
  if (!services_.images.ScaleImageData(bytes, requests, plan, copies)) return false;
  for (size_t v : missing) cache.Store(key_of(v), copies[v]);
  return true;
}

void TVistrel::CopyOriginalFiles() {
  TVTLRecordList& records = Records();
  for (int j = 0; j < records.Count() && !services_.cancel.Cancelled(); ++j) {
    if (failed_[static_cast<size_t>(j)]) continue;
    const TVTLRecord& record = records.Item(j);
    std::string contents;
    std::string path;
    // A list file can name any file; only photos are published, unchanged and under their own
    // extension (a text file named ".jpg" fails, a HEIC stays a HEIC). A photo without one gets
    // its format's, so that a browser knows what it downloads.
    if (!Disk().ReadFile(record.FullPath(), contents).Ok()) {
      FailImage(j);
      continue;
    }
    const TImageFormat format = SniffImageFormat(contents);
    if (format == TImageFormat::kUnknown) {
      FailImage(j, kUnsupportedFormatText);
      continue;
    }
    if (properties_.OmitLocation && !RemoveLocation(record, contents)) continue;
    std::string extension = ExtractFileExt(record.FileName);
    if (extension.empty()) extension = FormatExtension(format);
    if (output_->Create(RemoveFileExt(record.FileName), "", extension, path) !=
        TOutputFolder::TResult::kCreated) {
      FailImage(j);
      continue;
    }
    TOutputFile file = output_->OpenCreated(path);
    file.Write(contents);
    output_->Finish(file);
    records.Item(j).OriginalFile = path;
  }
}

bool TVistrel::RemoveLocation(const TVTLRecord& record, std::string& contents) {
  if (services_.images.RemoveLocation(contents) != TLocationRemoval::kCannotRemove) return true;
  // The photo stays in the gallery; only its original is not published.
  Report(kStepNote, 0, 0, 0, 0,
         "Das Original " + PrintableName(record.FullPath()) +
             " wird nicht kopiert: Seine Ortsangaben lassen sich nicht entfernen.");
  return false;
}

std::string TVistrel::StartPage() const {
  const std::string& start = Skin().Startpage;
  if (start.empty() || shown_.empty() || !shown_.front()->PageFiles) return {};
  std::string page = shown_.front()->PageFiles->ValueOf(start);
  return Disk().IsRegularFile(page) ? page : std::string();
}

}  // namespace vistrel
