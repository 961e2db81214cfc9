#include "ui/thumbnail_loader.h"

#include <QMetaObject>

namespace vistrel {

TThumbnailLoader::TThumbnailLoader(TRender render, int size, TReady ready, QObject* parent)
    : QObject(parent),
      render_(std::move(render)),
      size_(size),
      ready_(std::move(ready)),
      cache_(kCacheBytes),
      worker_([this] { Work(); }) {}

TThumbnailLoader::~TThumbnailLoader() {
  {
    std::lock_guard lock(mutex_);
    cancel_.Cancel();
    requests_.clear();
  }
  wake_.notify_all();
  worker_.join();
  // A picture handed back after this point is a queued call to this object; Qt drops it with
  // the object.
}

QPixmap TThumbnailLoader::Cached(const QString& key) const {
  const QPixmap* stored = cache_.object(key);
  return stored ? *stored : QPixmap();
}

void TThumbnailLoader::Request(const QString& path, const QString& key) {
  if (cache_.contains(key) || queued_.contains(key)) return;
  queued_.insert(key);
  {
    std::lock_guard lock(mutex_);
    requests_.push_back({path, key});
  }
  wake_.notify_one();
}

void TThumbnailLoader::Forget() {
  std::vector<TRequest> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.swap(requests_);
  }
  for (const TRequest& request : dropped) queued_.remove(request.key);
}

void TThumbnailLoader::Work() {
  for (;;) {
    TRequest request;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return cancel_.Cancelled() || !requests_.empty(); });
      if (cancel_.Cancelled()) return;
      request = std::move(requests_.back());
      requests_.pop_back();
    }
    const QImage image = render_(request.path, size_, cancel_);
    if (cancel_.Cancelled()) return;
    QMetaObject::invokeMethod(
        this, [this, request, image] { Store(request, image); }, Qt::QueuedConnection);
  }
}

void TThumbnailLoader::Store(const TRequest& request, const QImage& image) {
  ++rendered_;
  queued_.remove(request.key);
  auto pixmap = std::make_unique<QPixmap>(QPixmap::fromImage(image));
  const qsizetype bytes = std::max<qsizetype>(1, image.sizeInBytes());
  cache_.insert(request.key, pixmap.release(), bytes);
  if (ready_) ready_(request.path);
}

}  // namespace vistrel
