// The captions of photos added to the image list, read on a worker thread.
//
// Reading a photo's captions opens the photo and its sidecar; for thousands of photos added at
// once that would keep the window from answering, so the main window hands each added photo to
// Request() and goes on. A worker reads the photos in the order asked, with the read function
// (ReadPhotoMetadata's captions in production), and hands the results back in batches through a
// queued call to the user-interface thread, which calls `ready` with each batch: the photo's
// folder and file name and its captions. The receiver looks the photo up again by its name, so
// a photo that left the list meanwhile is simply not found. Forget() drops the requests not yet
// started (another list is opened); destroying the reader sets the cancel flag, drops the
// queue, waits for the photo in work and discards what is left.
//
// All public methods are called on the user-interface thread; the read function runs on the
// worker and must be safe there.
#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/value_list.h"
#include "support/cancel_flag.h"

namespace vistrel {

// One photo's captions as read, named by its folder (with its trailing "/") and file name.
struct TPhotoCaptions {
  std::string directory;
  std::string file_name;
  std::unique_ptr<TVTLValueList> captions;
};

class TCaptionReader : public QObject {
 public:
  // Fills `captions` with the captions of the photo at `path`.
  using TRead = std::function<void(const std::string& path, TVTLValueList& captions)>;
  using TReady = std::function<void(std::vector<TPhotoCaptions>& batch)>;

  TCaptionReader(TRead read, TReady ready, QObject* parent = nullptr);
  ~TCaptionReader() override;

  // Asks for the captions of the photo `file_name` in `directory`.
  void Request(const std::string& directory, const std::string& file_name);
  // Drops the requests the worker has not started; their results never come.
  void Forget();
  // How many photos have been asked for and not yet handed to `ready`.
  int Pending() const { return pending_; }

  // At most this many results travel in one queued call, so the window repaints once per batch
  // rather than once per photo.
  static constexpr size_t kBatchSize = 64;

 private:
  struct TRequest {
    std::string directory;
    std::string file_name;
    int generation = 0;  // generation_ when asked
  };
  void Work();
  // Hands `batch`, read for requests of `generation`, to the user-interface thread.
  void Post(std::vector<TPhotoCaptions>& batch, int generation);
  void Deliver(std::vector<TPhotoCaptions>& batch, int generation);

  TRead read_;
  TReady ready_;
  int pending_ = 0;
  int generation_ = 0;  // counts Forget(); results of an older generation are dropped

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<TRequest> requests_;  // oldest first; guarded by mutex_
  TCancelFlag cancel_;
  std::thread worker_;  // last: started when everything else exists
};

}  // namespace vistrel
