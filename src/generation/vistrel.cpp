#include "model/vistrel.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "model/file_naming.h"
#include "model/gallery_setup.h"
#include "support/file_io.h"
#include "support/file_operations.h"
#include "support/text.h"
#include "template/parser.h"

namespace vistrel {

namespace {

constexpr int kMaxImageThreads = 8;

}  // namespace

TVistrel::TVistrel() = default;
TVistrel::~TVistrel() = default;

void TVistrel::Report(int step, int sub_step, int sub_step_count, int position, int max,
                      const std::string& message) {
  if (!OnProgress) return;
  OnProgress(step, sub_step == -1 ? CurrentSubStep : sub_step,
             sub_step_count == -1 ? SubStepCount : sub_step_count, position, max, message);
}

TOutputFolder& TVistrel::Output() {
  if (!output_) output_ = std::make_unique<TOutputFolder>(Properties->OutputDirectory);
  return *output_;
}

bool TVistrel::CheckVariants() {
  const TVTL2dValueList& variants = Properties->ImageVariants;
  for (int i = 0; i < variants.Count(); ++i) {
    const TVTLValueList& row = variants.Row(i);
    const auto width = ParseInt32(row.Value(TVTLGalleryProperties::kMaxWidth));
    const auto height = ParseInt32(row.Value(TVTLGalleryProperties::kMaxHeight));
    const auto quality = ParseInt32(row.Value(TVTLGalleryProperties::kJpgQuality));
    auto valid_side = [](std::optional<int32_t> side) {
      return side && *side >= 1 && static_cast<uint32_t>(*side) <= kMaxVariantSide;
    };
    if (!valid_side(width) || !valid_side(height) || !quality) {
      Report(
          kStepError, 0, 0, 0, 0,
          "Ungültige Werte für die Bildvariante " + row.Value(TVTLGalleryProperties::kName) + "!");
      return false;
    }
  }
  return true;
}

bool TVistrel::CheckFileNames() {
  const TVTL2dValueList& variants = Properties->ImageVariants;
  for (int i = 0; i < variants.Count(); ++i) {
    const std::string& pattern = variants.Row(i).Value(TVTLGalleryProperties::kNewName);
    for (int j = 0; j < Records->Count(); ++j) {
      const TVTLRecord& record = Records->Item(j);
      if (!Output().IsValidName(pattern, RemoveFileExt(record.FileName),
                                ExtractFileExt(record.FileName))) {
        Report(kStepError, 0, 0, 0, 0, "Ungültiger Dateiname " + pattern + "!");
        return false;
      }
    }
  }
  return true;
}

void TVistrel::ReportFailedImage(const TVTLRecord& record) {
  Report(kStepError, 0, 0, 0, 0,
         "Fehler beim Verarbeiten der Bilddatei " + record.FullPath() + "!");
}

bool TVistrel::Generate(TReportCallback on_progress) {
  OnProgress = std::move(on_progress);
  Report(kStepStart, 0, 0, 0, 0, "");
  Properties->OutputDirectory = IncludeTrailingPathDelimiter(Properties->OutputDirectory);
  output_.reset();

  // Every image gets its lists of variant files and page files for this run; the names lists
  // live as long as the last list built on them.
  auto variant_names = std::make_shared<TNamesList>();
  for (int i = 0; i < Properties->ImageVariants.Count(); ++i)
    variant_names->push_back(Properties->ImageVariants.Row(i).Value(TVTLGalleryProperties::kName));
  auto page_names = std::make_shared<TNamesList>();
  const TVTL2dValueList& patterns = *Properties->HTMLPatterns;
  for (int i = 0; i < patterns.Count(); ++i)
    page_names->push_back(patterns.Row(i).Value(THTMLPatternValueList::kName));
  for (int j = 0; j < Records->Count(); ++j) {
    Records->Item(j).VariantFiles = std::make_unique<TVTLValueList>(variant_names);
    Records->Item(j).PageFiles = std::make_unique<TVTLValueList>(page_names);
  }

  if (!CheckVariants() || !CheckFileNames()) return false;
  std::error_code error;
  std::filesystem::create_directories(Properties->OutputDirectory, error);
  if (!std::filesystem::is_directory(Properties->OutputDirectory, error)) {
    Report(kStepError, 0, 0, 0, 0, "Kann Ausgabeverzeichnis nicht erstellen!");
    return false;
  }

  std::vector<int> rows;
  for (int i = 0; i < Properties->ImageVariants.Count(); ++i) rows.push_back(i);
  if (!CreateImageVariants(rows)) return false;

  if (Properties->CopyOriginals) {
    Report(kStepCopying, 0, 0, 0, 0, "");
    CopyOriginalFiles();
  }
  const std::string files_folder = Skin->Directory + "files";
  if (IsFolder(files_folder, /*follow_links=*/false)) {
    Report(kStepCopying, 0, 0, 0, 0, "");
    CopyFolder(files_folder, Properties->OutputDirectory + "files/");
  }

  std::vector<std::unique_ptr<TVTLParser>> parsers;
  for (int i = 0; i < patterns.Count(); ++i) {
    auto parser = std::make_unique<TVTLParser>();
    parser->Records = Records;
    parser->Properties = Properties;
    parser->Output = &Output();
    parser->Messages = Messages;
    parser->ConfineToFolder = Skin->Directory;
    parsers.push_back(std::move(parser));
  }
  TReportCallback report = [this](int step, int sub_step, int count, int position, int max,
                                  const std::string& message) {
    Report(step, sub_step, count, position, max, message);
  };
  for (int i = 0; i < patterns.Count(); ++i) {
    SubStepCount = patterns.Count();
    CurrentSubStep = i + 1;
    Report(kStepTemplates, i + 1, patterns.Count(), 0, 0, "");
    parsers[i]->RefreshVariables();
    const std::string file = patterns.Row(i).Value(THTMLPatternValueList::kFileName);
    if (!parsers[i]->ReadTemplate(Skin->Directory + file, report)) return false;
    if (!parsers[i]->PlanPages(i, report)) {
      Report(kStepError, 0, 0, 0, 0, "Fehler!");
      return false;
    }
  }
  for (int i = 0; i < patterns.Count(); ++i) {
    SubStepCount = patterns.Count();
    CurrentSubStep = i + 1;
    if (!parsers[i]->WritePages(i, report)) {
      Report(kStepError, 0, 0, 0, 0, "Fehler!");
      return false;
    }
  }
  for (int j = 0; j < Records->Count(); ++j) Records->Item(j).VariantFiles.reset();
  parsers.clear();
  Report(kStepFinished, 0, 0, 0, 0, "");
  return true;
}

bool TVistrel::CreateImageVariant(int row) { return CreateImageVariants({row}); }

bool TVistrel::CreateImageVariants(const std::vector<int>& rows) {
  const int images = Records->Count();
  const int variants = static_cast<int>(rows.size());
  if (images == 0 || variants == 0) return true;

  // Names first, in the order of the reports: variant by variant, image by image. Each file is
  // created (empty) as its name is chosen, so later names see it.
  std::vector<TScaleRequest> requests;
  std::vector<std::vector<std::string>> paths(static_cast<size_t>(images));
  for (int v = 0; v < variants; ++v) {
    const TVTLValueList& row = Properties->ImageVariants.Row(rows[v]);
    requests.push_back(
        {static_cast<uint32_t>(ParseInt32Or(row.Value(TVTLGalleryProperties::kMaxWidth), 0)),
         static_cast<uint32_t>(ParseInt32Or(row.Value(TVTLGalleryProperties::kMaxHeight), 0)),
         ParseInt32Or(row.Value(TVTLGalleryProperties::kJpgQuality), kDefaultJpegQuality)});
    for (int j = 0; j < images; ++j) {
      TVTLRecord& record = Records->Item(j);
      std::string path;
      switch (Output().Create(row.Value(TVTLGalleryProperties::kNewName),
                              RemoveFileExt(record.FileName), ExtractFileExt(record.FileName),
                              path)) {
        case TOutputFolder::TResult::kInvalidName:
          Report(kStepError, 0, 0, 0, 0,
                 "Ungültiger Dateiname " + row.Value(TVTLGalleryProperties::kNewName) + "!");
          return false;
        case TOutputFolder::TResult::kFailed:
          path.clear();  // the image is reported as failed below
          break;
        case TOutputFolder::TResult::kCreated:
          break;
      }
      if (record.VariantFiles)
        record.VariantFiles->SetValueOf(row.Value(TVTLGalleryProperties::kName), path);
      paths[static_cast<size_t>(j)].push_back(std::move(path));
    }
  }

  // Then the pixels, image by image on every processor; each image is decoded once.
  enum class TState : unsigned char { kPending, kDone, kFailed };
  std::vector<TState> states(static_cast<size_t>(images), TState::kPending);
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<int> next{0};
  auto work = [&] {
    for (int j = next++; j < images; j = next++) {
      bool ok = false;
      try {
        std::vector<std::string> jpegs;
        ok = Images && Images->ScaleImage(Records->Item(j).FullPath(), requests, jpegs);
        for (int v = 0; ok && v < variants; ++v) {
          const std::string& path = paths[static_cast<size_t>(j)][static_cast<size_t>(v)];
          if (path.empty() || jpegs[static_cast<size_t>(v)].empty()) {
            ok = false;
            break;
          }
          TOutputFile file = Output().OpenCreated(path);
          file.Write(jpegs[static_cast<size_t>(v)]);
          file.Close();
        }
      } catch (...) {
        ok = false;  // nothing may leave a worker thread; the image is reported as failed
      }
      std::lock_guard lock(mutex);
      states[static_cast<size_t>(j)] = ok ? TState::kDone : TState::kFailed;
      done.notify_all();
    }
  };
  Output();  // made before the threads start
  // One thread more than there are processors keeps every processor busy while a thread waits
  // for its file; more would only cost memory.
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int automatic = std::min(processors + 1, kMaxImageThreads);
  const int thread_count = std::min(images, Threads > 0 ? Threads : automatic);
  std::vector<std::jthread> threads;
  for (int t = 0; t < thread_count; ++t) threads.emplace_back(work);

  SubStepCount = variants;
  for (int v = 0; v < variants; ++v) {
    CurrentSubStep = v + 1;
    for (int j = 0; j < images; ++j) {
      if (v == 0) {
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return states[static_cast<size_t>(j)] != TState::kPending; });
        const bool failed = states[static_cast<size_t>(j)] == TState::kFailed;
        lock.unlock();
        if (failed) ReportFailedImage(Records->Item(j));
      }
      Report(kStepImages, -1, -1, j + 1, images, "");
    }
  }
  return true;
}

void TVistrel::CopyOriginalFiles() {
  for (int j = 0; j < Records->Count(); ++j) {
    const TVTLRecord& record = Records->Item(j);
    // A list file can name any file; only photos are published.
    if (!IsJpegFileName(record.FileName)) continue;
    std::string contents;
    std::string path;
    bool ok = ReadWholeFile(record.FullPath(), contents) &&
              Output().Create(RemoveFileExt(record.FileName), "", ExtractFileExt(record.FileName),
                              path) == TOutputFolder::TResult::kCreated;
    if (ok) {
      try {
        TOutputFile file = Output().OpenCreated(path);
        file.Write(contents);
        file.Close();
      } catch (const EOutputError&) {
        ok = false;
      }
    }
    if (!ok) ReportFailedImage(record);
  }
}

}  // namespace vistrel
