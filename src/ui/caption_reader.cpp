#include "ui/caption_reader.h"

#include <QMetaObject>

namespace vistrel {

TCaptionReader::TCaptionReader(TRead read, TReady ready, QObject* parent)
    : QObject(parent),
      read_(std::move(read)),
      ready_(std::move(ready)),
      worker_([this] { Work(); }) {}

TCaptionReader::~TCaptionReader() {
  {
    std::lock_guard lock(mutex_);
    cancel_.Cancel();
    requests_.clear();
  }
  wake_.notify_all();
  worker_.join();
  // A batch handed back after this point is a queued call to this object; Qt drops it with the
  // object.
}

void TCaptionReader::Request(const std::string& directory, const std::string& file_name) {
  ++pending_;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back({directory, file_name, generation_});
  }
  wake_.notify_one();
}

void TCaptionReader::Forget() {
  std::lock_guard lock(mutex_);
  pending_ -= static_cast<int>(requests_.size());
  requests_.clear();
  ++generation_;
}

void TCaptionReader::Work() {
  std::vector<TPhotoCaptions> batch;
  int batch_generation = 0;
  for (;;) {
    TRequest request;
    bool last = false;  // nothing more is waiting: the batch goes now
    {
      std::unique_lock lock(mutex_);
      if (requests_.empty() && !batch.empty()) {
        lock.unlock();
        Post(batch, batch_generation);
        continue;
      }
      wake_.wait(lock, [this] { return cancel_.Cancelled() || !requests_.empty(); });
      if (cancel_.Cancelled()) return;
      request = std::move(requests_.front());
      requests_.pop_front();
      last = requests_.empty();
    }
    if (!batch.empty() && request.generation != batch_generation) Post(batch, batch_generation);
    batch_generation = request.generation;
    auto captions = std::make_unique<TVTLValueList>();
    read_(request.directory + request.file_name, *captions);
    if (cancel_.Cancelled()) return;
    batch.push_back(
        {std::move(request.directory), std::move(request.file_name), std::move(captions)});
    if (last || batch.size() >= kBatchSize) Post(batch, batch_generation);
  }
}

void TCaptionReader::Post(std::vector<TPhotoCaptions>& batch, int generation) {
  auto handed = std::make_shared<std::vector<TPhotoCaptions>>(std::move(batch));
  batch.clear();
  QMetaObject::invokeMethod(
      this, [this, handed, generation] { Deliver(*handed, generation); }, Qt::QueuedConnection);
}

void TCaptionReader::Deliver(std::vector<TPhotoCaptions>& batch, int generation) {
  pending_ -= static_cast<int>(batch.size());
  int current = 0;
  {
    std::lock_guard lock(mutex_);
    current = generation_;
  }
  if (generation == current && ready_) ready_(batch);
}

}  // namespace vistrel
