// The metadata of the image list's photos, read on a worker thread.
//
// Reading a photo's metadata opens the file and parses its EXIF, XMP and IPTC: a few
// milliseconds each, far too long for ten thousand photos on the user-interface thread. The
// list's records are therefore made without metadata, and a TMetadataLoader reads it for them in
// the background, in the order asked (the top of the list first), and hands the results back in
// batches through a queued call to the user-interface thread, which moves them into the records.
//
// A request names its record only as a token (the loader never touches a record) together with
// its path; the receiver decides whether the token still means the same record. Forget() drops
// the requests not yet started and makes results of earlier requests arrive no more, for a list
// that is replaced. Destroying the loader sets the cancel flag, drops the queue and waits for the
// photo in work.
//
// ReadRest() is for the moment the metadata is needed (a gallery run, sorting by date): the
// calling thread then reads the requests still queued itself, beside the worker, and takes the
// worker's batches straight from the event queue, without running an event loop.
//
// Public methods are called on the user-interface thread; the reader runs on the worker and
// must be safe there.
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/record.h"
#include "model/value_list.h"
#include "support/cancel_flag.h"

namespace vistrel {

// What was read of one photo.
struct TReadMetadata {
  const void* token = nullptr;  // as given to Request()
  std::string path;
  TVTLValueList metadata;
  TVTLValueList photo_data;
  TVTLValueList captions;
};

class TMetadataLoader : public QObject {
 public:
  using TDelivered = std::function<void(std::vector<TReadMetadata>& batch)>;

  TMetadataLoader(TMetadataReader read, TDelivered delivered, QObject* parent = nullptr);
  ~TMetadataLoader() override;

  // Asks for the metadata of the file at `path` on behalf of `token`.
  void Request(const void* token, std::string path);
  // Drops every request: none of them is delivered any more.
  void Forget();
  // How many requests have not been delivered yet.
  int Pending() const { return pending_; }
  // Reads the requests still queued on the calling thread while the worker goes on with its
  // own, and delivers everything read, until nothing is pending or `go_on` (called before each
  // photo with the number pending) returns false. Processes no other events. True when nothing
  // is pending any more.
  bool ReadRest(const std::function<bool(int pending)>& go_on);

  // A batch is handed over when it holds this many photos, or when the queue runs dry.
  static constexpr size_t kBatchSize = 200;

 private:
  struct TJob {
    const void* token;
    std::string path;
    uint64_t round;
  };
  void Work();
  TReadMetadata Read(const TJob& job) const;
  // Hands `batch` to the user-interface thread through its event queue.
  void Post(std::shared_ptr<std::vector<TReadMetadata>> batch, uint64_t round);
  void Deliver(std::vector<TReadMetadata>& batch, uint64_t round);

  TMetadataReader read_;
  TDelivered delivered_;
  int pending_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable posted_;  // a batch was put into the event queue
  std::deque<TJob> jobs_;           // oldest first; guarded by mutex_
  uint64_t round_ = 0;              // raised by Forget(); guarded by mutex_
  int batches_posted_ = 0;          // in the event queue, not yet delivered; guarded by mutex_
  TCancelFlag cancel_;
  std::thread worker_;  // last: started when everything else exists
};

}  // namespace vistrel
