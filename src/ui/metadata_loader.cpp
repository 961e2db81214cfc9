#include "ui/metadata_loader.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <chrono>
#include <optional>

namespace vistrel {

TMetadataLoader::TMetadataLoader(TMetadataReader read, TDelivered delivered, QObject* parent)
    : QObject(parent),
      read_(std::move(read)),
      delivered_(std::move(delivered)),
      worker_([this] { Work(); }) {}

TMetadataLoader::~TMetadataLoader() {
  {
    std::lock_guard lock(mutex_);
    cancel_.Cancel();
    jobs_.clear();
  }
  wake_.notify_all();
  worker_.join();
  // A batch handed back after this point is a queued call to this object; Qt drops it with the
  // object.
}

void TMetadataLoader::Request(const void* token, std::string path) {
  ++pending_;
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back({token, std::move(path), round_});
  }
  wake_.notify_one();
}

void TMetadataLoader::Forget() {
  std::lock_guard lock(mutex_);
  jobs_.clear();
  ++round_;
  pending_ = 0;
}

void TMetadataLoader::Work() {
  // Shared with the queued call that hands it over, so a batch is never copied.
  auto batch = std::make_shared<std::vector<TReadMetadata>>();
  uint64_t batch_round = 0;
  for (;;) {
    TJob job;
    bool last = false;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return cancel_.Cancelled() || !jobs_.empty() || !batch->empty(); });
      if (cancel_.Cancelled()) return;
      if (!jobs_.empty() && (batch->empty() || jobs_.front().round == batch_round)) {
        job = std::move(jobs_.front());
        jobs_.pop_front();
        last = jobs_.empty();
      } else {
        last = true;  // the queue ran dry or was forgotten: what is read goes now
      }
    }
    if (!job.path.empty()) {
      batch_round = job.round;
      batch->push_back(Read(job));
    }
    if (!batch->empty() && (last || batch->size() >= kBatchSize)) {
      Post(std::move(batch), batch_round);
      batch = std::make_shared<std::vector<TReadMetadata>>();
    }
  }
}

TReadMetadata TMetadataLoader::Read(const TJob& job) const {
  TReadMetadata read;
  read.token = job.token;
  read.path = job.path;
  if (read_) read_(job.path, read.metadata, read.photo_data, read.captions);
  return read;
}

void TMetadataLoader::Post(std::shared_ptr<std::vector<TReadMetadata>> batch, uint64_t round) {
  {
    // Counted while the lock is held, so ReadRest() never waits for a batch already queued.
    std::lock_guard lock(mutex_);
    QMetaObject::invokeMethod(
        this,
        [this, batch, round] {
          {
            std::lock_guard delivering(mutex_);
            --batches_posted_;
          }
          Deliver(*batch, round);
        },
        Qt::QueuedConnection);
    ++batches_posted_;
  }
  posted_.notify_all();
}

bool TMetadataLoader::ReadRest(const std::function<bool(int pending)>& go_on) {
  for (;;) {
    // The worker's batches wait in the event queue; only they are taken from it.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    if (pending_ == 0) return true;
    if (go_on && !go_on(pending_)) return false;
    std::optional<TJob> job;
    {
      std::unique_lock lock(mutex_);
      if (jobs_.empty()) {
        // The worker holds the rest; it hands it over as soon as its queue is empty.
        posted_.wait_for(lock, std::chrono::milliseconds(100),
                         [this] { return batches_posted_ > 0; });
        continue;
      }
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    std::vector<TReadMetadata> batch;
    batch.push_back(Read(*job));
    Deliver(batch, job->round);
  }
}

void TMetadataLoader::Deliver(std::vector<TReadMetadata>& batch, uint64_t round) {
  {
    std::lock_guard lock(mutex_);
    if (round != round_) return;  // asked for by a list that is gone
  }
  pending_ -= static_cast<int>(batch.size());
  if (delivered_) delivered_(batch);
}

}  // namespace vistrel
