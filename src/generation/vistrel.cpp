#include "generation/vistrel.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unordered_set>

#include "generation/gallery_manifest.h"
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
  ListRunFiles();
  if (!BeginOutput()) return false;
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

void TVistrel::ListRunFiles() {
  TVTLRecordList& records = Records();
  const int images = records.Count();
  // The names lists live as long as the last list built on them.
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
}

bool TVistrel::BeginOutput() {
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
  return true;
}

void TVistrel::FailUnusableNames() {
  TVTLRecordList& records = Records();
  const TVTL2dValueList& patterns = *properties_.HTMLPatterns;
  for (int j = 0; j < records.Count(); ++j) {
    const TVTLRecord& record = records.Item(j);
    const std::string old_name = RemoveFileExt(record.FileName());
    const std::string extension = ExtractFileExt(record.FileName());
    bool usable = IsSystemPath(record.Directory()) && IsSystemPath(record.FileName());
    for (const TImageVariant& variant : properties_.ImageVariants)
      usable = usable && IsNameInsideFolder(variant.pattern, old_name,
                                            CopyExtension(variant, record.FileName()));
    for (int t = 0; usable && t < patterns.Count(); ++t) {
      const std::string& pattern = patterns.Row(t).Value(THTMLPatternValueList::kNewFileName);
      usable = IsNameInsideFolder(pattern, old_name, PageExtension(pattern));
    }
    if (usable && properties_.CopyOriginals) usable = IsNameInsideFolder(old_name, "", extension);
    if (!usable) FailImage(j);
  }
}

bool TVistrel::GenerateFiles() {
  TVTLRecordList& records = Records();
  const int images = records.Count();
  FailUnusableNames();

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
  if (const TDiskStatus listed = output_->WriteManifest(); !listed.Ok()) {
    Report(kStepError, 0, 0, 0, 0,
           ManifestFailedLine(properties_.OutputDirectory + std::string(kManifestName),
                              SystemErrorText(listed.Error())));
    return false;
  }
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
    std::string extension = ExtractFileExt(record.FileName());
    if (extension.empty()) extension = FormatExtension(format);
    if (output_->Create(RemoveFileExt(record.FileName()), "", extension, path) !=
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
