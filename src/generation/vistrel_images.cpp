// The scaled copies of a run: TVistrel::CreateImageVariants() and its steps. Names are chosen
// on the run's thread, variant by variant and image by image; the pixels are made by worker
// threads, image by image, each photo decoded once for all its copies; the run's thread reports
// the images in order as the workers finish them.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "generation/vistrel.h"
#include "model/copy_format.h"
#include "model/file_naming.h"
#include "model/photo_format.h"
#include "support/disk.h"
#include "support/file_operations.h"

namespace vistrel {

namespace {

constexpr int kMaxImageThreads = 8;

// Why the photo at `path` failed, when it is a file but no photo of a format the program
// decodes; empty otherwise (the error line then names the file only).
std::string_view FailureReason(TDisk& disk, const std::string& path) {
  return disk.IsRegularFile(path) && !IsPhotoFile(path, disk) ? kUnsupportedFormatText : "";
}

}  // namespace

// What the image workers share with the run's thread. `paths` and `requests` are set before
// the workers begin and only read by them; a pending state is set only by the worker that took
// its image, every state change and the output failure under `mutex`, each followed by a
// notification of `done`.
struct TVistrel::TImageWork {
  enum class TState : unsigned char { kPending, kDone, kFailed };

  std::vector<std::vector<std::string>> paths;  // per image, per variant; empty: no file
  std::vector<TScaleRequest> requests;          // per variant
  TVariantCache* cache = nullptr;               // null when copies are not kept
  std::vector<TState> states;
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<int> next{0};
  std::optional<EOutputError> output_failure;  // the first one
  std::atomic<bool> output_failed{false};

  void Settle(size_t image, bool ok) {
    std::lock_guard lock(mutex);
    states[image] = ok ? TState::kDone : TState::kFailed;
    done.notify_all();
  }
  void FailOutput(const EOutputError& failure) {
    std::lock_guard lock(mutex);
    if (!output_failure) output_failure = failure;
    output_failed = true;
    done.notify_all();
  }
  // Wakes the reporting loop, which then looks whether the work stopped.
  void Wake() {
    std::lock_guard lock(mutex);
    done.notify_all();
  }
};

bool TVistrel::CreateImageVariants() {
  const int images = Records().Count();
  const int variants = static_cast<int>(properties_.ImageVariants.size());
  if (images == 0 || variants == 0) return true;

  TImageWork work;
  ReserveVariantFiles(work);
  // Copies kept from earlier runs are taken as they are; the rest are made and kept. A cache
  // that cannot be used costs nothing more than its note: no photo is hashed for it.
  const std::unique_ptr<TVariantCache> opened = OpenCache();
  work.cache = opened && opened->Usable() ? opened.get() : nullptr;

  // One thread more than there are processors keeps every processor busy while a thread waits
  // for its file; more would only cost memory.
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int automatic = std::min(processors + 1, kMaxImageThreads);
  const int thread_count = std::min(images, threads_ > 0 ? threads_ : automatic);
  std::vector<std::jthread> threads;
  for (int t = 0; t < thread_count; ++t) threads.emplace_back([&] { RunImageWorker(work); });
  const bool finished = ReportImages(work);
  threads.clear();  // waits for every worker

  if (work.cache) work.cache->Trim();
  if (opened) {
    if (const std::string problem = opened->Problem(); !problem.empty())
      Report(kStepNote, 0, 0, 0, 0, problem);
  }
  if (work.output_failure) throw *work.output_failure;
  return finished;
}

void TVistrel::ReserveVariantFiles(TImageWork& work) {
  TVTLRecordList& records = Records();
  const auto images = static_cast<size_t>(records.Count());
  // A photo that is not there (a list from another machine) gets no names: it fails in its
  // turn without a file made and removed for each of its variants.
  std::vector<bool> present(images);
  for (size_t j = 0; j < images; ++j)
    present[j] = !failed_[j] && Disk().IsRegularFile(records.Item(static_cast<int>(j)).FullPath());

  // Names in the order of the reports: variant by variant, image by image. Each file is created
  // (empty) as its name is chosen, so later names see it.
  work.paths.assign(images, {});
  for (size_t v = 0; v < properties_.ImageVariants.size(); ++v) {
    const TImageVariant& variant = properties_.ImageVariants[v];
    work.requests.push_back(variant.scale);
    for (size_t j = 0; j < images; ++j) {
      TVTLRecord& record = records.Item(static_cast<int>(j));
      std::string path;
      // A name the system will not take fails the image (reported in its turn); a folder that
      // takes no file throws.
      if (present[j] &&
          output_->Create(variant.pattern, RemoveFileExt(record.FileName()),
                          ImageFormatExtension(variant.scale.format, record.FileName()),
                          path) != TOutputFolder::TResult::kCreated)
        path.clear();
      record.VariantFiles->SetValue(static_cast<int>(v), path);
      work.paths[j].push_back(std::move(path));
    }
  }

  // An image without a file for each variant has failed already: it is not even read, and the
  // reporting loop need not wait for a worker to say so.
  work.states.assign(images, TImageWork::TState::kPending);
  for (size_t j = 0; j < images; ++j) {
    const std::vector<std::string>& files = work.paths[j];
    if (std::any_of(files.begin(), files.end(), [](const std::string& p) { return p.empty(); }))
      work.states[j] = TImageWork::TState::kFailed;
  }
}

void TVistrel::RunImageWorker(TImageWork& work) {
  const int images = Records().Count();
  auto stopped = [&] { return services_.cancel.Cancelled() || work.output_failed; };
  // A photo that cannot be read fails its image; a copy that cannot be written fails the run,
  // since the next one would fare no better. No new image is taken once the run is cancelled or
  // the output has failed.
  for (int j = work.next++; j < images && !stopped(); j = work.next++) {
    const auto image = static_cast<size_t>(j);
    if (work.states[image] != TImageWork::TState::kPending) continue;
    bool ok = false;
    try {
      ok = MakeImageCopies(work, j);
    } catch (const EOutputError& failure) {
      work.FailOutput(failure);
      break;
    } catch (...) {
      ok = false;  // nothing may leave a worker thread; the image is reported as failed
    }
    work.Settle(image, ok);
  }
  work.Wake();
}

bool TVistrel::MakeImageCopies(TImageWork& work, int index) {
  TVTLRecord& record = Records().Item(index);
  const std::vector<std::string>& files = work.paths[static_cast<size_t>(index)];
  std::vector<TScaledCopy> copies;
  const bool made = work.cache
                        ? MakeCopiesWithCache(*work.cache, record.FullPath(), work.requests, copies)
                        : services_.images.ScaleImage(record.FullPath(), work.requests, copies);
  if (!made) return false;
  for (size_t v = 0; v < files.size(); ++v) {
    const TScaledCopy& copy = copies[v];
    if (copy.jpeg.empty()) return false;
    TOutputFile file = output_->OpenCreated(files[v]);
    file.Write(copy.jpeg);
    output_->Finish(file);
    record.VariantSizes[v] = {copy.width, copy.height};
  }
  return true;
}

bool TVistrel::ReportImages(TImageWork& work) {
  const int images = Records().Count();
  const int variants = static_cast<int>(work.requests.size());
  auto stopped = [&] { return services_.cancel.Cancelled() || work.output_failed; };
  sub_step_count_ = variants;
  for (int v = 0; v < variants; ++v) {
    current_sub_step_ = v + 1;
    for (int j = 0; j < images; ++j) {
      const auto image = static_cast<size_t>(j);
      bool failed = false;
      if (v == 0) {
        std::unique_lock lock(work.mutex);
        work.done.wait(
            lock, [&] { return work.states[image] != TImageWork::TState::kPending || stopped(); });
        if (work.states[image] == TImageWork::TState::kPending || work.output_failed) return false;
        failed = work.states[image] == TImageWork::TState::kFailed;
      }
      // The image's own report first: an error of the first image then stands under the step's
      // line, as every other error does.
      Report(kStepImages, -1, -1, j + 1, images, "");
      if (failed) FailImage(j, FailureReason(Disk(), Records().Item(j).FullPath()));
    }
  }
  return true;
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

}  // namespace vistrel
