// Thumbnails of photos for the file list, made on a worker thread and kept while the program
// runs.
//
// Request() queues a file for the worker unless its picture has been made or asked for already
// (a file that cannot be read is not tried again); Cached() answers at once with the picture, or
// a null pixmap. The view asks only for what it paints, so a large folder costs no more than the
// entries in view. The worker takes the newest request first, which is what the user looks at
// now, renders it
// with the render function (the imaging module decodes JPEGs shrunk while loading, so a large
// photo costs little) and hands the image back through a queued call to the user-interface
// thread, which stores it and calls `ready` with the file's path. Forget() drops the requests
// not yet started (another folder is shown); destroying the loader sets the cancel flag, drops
// the queue, waits for the picture in work and discards it.
//
// A thumbnail is stored under the file's path, size and time of change, so a file changed on
// disk is made anew; the cache holds at most kCacheBytes of pictures, the least used going
// first. All public methods are called on the user-interface thread; the render function runs
// on the worker and must be safe there.
#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/cancel_flag.h"

namespace vistrel {

class TThumbnailLoader : public QObject {
 public:
  // Makes the picture of a file fitted into size x size pixels; a null image when it cannot.
  // `cancel` is set when the loader goes: a render may then end early, its picture is dropped.
  using TRender = std::function<QImage(const QString& path, int size, const TCancelFlag& cancel)>;
  using TReady = std::function<void(const QString& path)>;

  TThumbnailLoader(TRender render, int size, TReady ready, QObject* parent = nullptr);
  ~TThumbnailLoader() override;

  // The thumbnail stored under `key`, which names a file's version (its path, size and time of
  // change); null when there is none (yet).
  QPixmap Cached(const QString& key) const;
  // Asks for the thumbnail of `path` under `key`.
  void Request(const QString& path, const QString& key);
  // Drops the requests the worker has not started.
  void Forget();
  // How many pictures the worker has made or tried so far.
  int Rendered() const { return rendered_; }
  // How many pictures have been asked for and are not stored yet (queued, in work, or on their
  // way to the user-interface thread); 0 when the loader has nothing more to deliver.
  int Pending() const { return static_cast<int>(queued_.size()); }

  static constexpr int kCacheBytes = 64 * 1024 * 1024;

 private:
  struct TRequest {
    QString path;
    QString key;
  };
  void Work();
  void Store(const TRequest& request, const QImage& image);

  TRender render_;
  const int size_;
  TReady ready_;
  QCache<QString, QPixmap> cache_;  // by key; a null pixmap for a file that could not be read
  QSet<QString> queued_;            // keys asked for and not yet stored
  int rendered_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<TRequest> requests_;  // newest last; guarded by mutex_
  TCancelFlag cancel_;
  std::thread worker_;  // last: started when everything else exists
};

}  // namespace vistrel
