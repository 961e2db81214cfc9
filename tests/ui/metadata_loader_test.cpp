#include "ui/metadata_loader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>

namespace vistrel {
namespace {

// A reader that names the file in the metadata, notes the thread it ran on, and waits while
// the test holds it.
class HeldReader {
 public:
  TMetadataReader Function() {
    return [this](const std::string& path, TVTLValueList& metadata, TVTLValueList& photo_data,
                  TVTLValueList& captions) {
      std::unique_lock lock(mutex_);
      on_worker_ = on_worker_ && QThread::currentThread() != qApp->thread();
      opened_.wait(lock, [&] { return open_; });
      metadata.AddName("Path");
      (void)metadata.SetValue(0, path);
      photo_data.AddName("DATE");
      captions.AddName("TITLE");
    };
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  bool OnWorker() {
    std::lock_guard lock(mutex_);
    return on_worker_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  bool on_worker_ = true;
};

TEST(MetadataLoaderTest, PhotosAreReadOnTheWorkerInTheOrderAskedAndHandedOverInBatches) {
  HeldReader reader;
  std::vector<std::string> paths;
  std::vector<const void*> tokens;
  int batches = 0;
  TMetadataLoader loader(reader.Function(), [&](std::vector<TReadMetadata>& batch) {
    ++batches;
    for (TReadMetadata& read : batch) {
      EXPECT_EQ(read.metadata.ValueOf("Path"), read.path);
      EXPECT_EQ(read.photo_data.Count(), 1);
      EXPECT_EQ(read.captions.Count(), 1);
      paths.push_back(read.path);
      tokens.push_back(read.token);
    }
  });
  const int count = static_cast<int>(TMetadataLoader::kBatchSize) + 5;
  std::vector<int> records(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    loader.Request(&records[static_cast<size_t>(i)], "/p/" + std::to_string(i) + ".jpg");
  EXPECT_EQ(loader.Pending(), count);
  reader.Open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.Pending() == 0; }, 10000));
  ASSERT_EQ(paths.size(), static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(paths[static_cast<size_t>(i)], "/p/" + std::to_string(i) + ".jpg");
    EXPECT_EQ(tokens[static_cast<size_t>(i)], &records[static_cast<size_t>(i)]);
  }
  EXPECT_GE(batches, 2);
  EXPECT_LT(batches, count);  // not one call per photo
  EXPECT_TRUE(reader.OnWorker());
}

TEST(MetadataLoaderTest, ForgottenRequestsAreNeverDelivered) {
  HeldReader reader;
  std::vector<std::string> delivered;
  TMetadataLoader loader(reader.Function(), [&](std::vector<TReadMetadata>& batch) {
    for (const TReadMetadata& read : batch) delivered.push_back(read.path);
  });
  int token = 0;
  for (const char* path : {"/alt/1.jpg", "/alt/2.jpg", "/alt/3.jpg"}) loader.Request(&token, path);
  loader.Forget();  // the worker may hold the first one already: it is read but not delivered
  EXPECT_EQ(loader.Pending(), 0);
  loader.Request(&token, "/neu/1.jpg");
  reader.Open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.Pending() == 0 && !delivered.empty(); }, 5000));
  QTest::qWait(50);  // a stale batch still on its way would arrive now
  EXPECT_EQ(delivered, std::vector<std::string>{"/neu/1.jpg"});
}

TEST(MetadataLoaderTest, ALoaderGoesWhileItsReaderIsBusy) {
  HeldReader reader;
  std::atomic<bool> delivered = false;
  {
    TMetadataLoader loader(reader.Function(),
                           [&](std::vector<TReadMetadata>&) { delivered = true; });
    int token = 0;
    loader.Request(&token, "/p/1.jpg");
    loader.Request(&token, "/p/2.jpg");
    QTest::qWait(20);
    reader.Open();  // the photo in work ends; the loader waits for it and drops the rest
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(delivered);
}

// A reader that holds the worker until the test opens it and lets the user-interface thread
// read at once, noting the paths each read.
class WorkerHeldReader {
 public:
  TMetadataReader Function() {
    return
        [this](const std::string& path, TVTLValueList& metadata, TVTLValueList&, TVTLValueList&) {
          std::unique_lock lock(mutex_);
          const bool on_worker = QThread::currentThread() != qApp->thread();
          (on_worker ? on_worker_ : on_caller_).insert(path);
          if (on_worker) opened_.wait(lock, [&] { return open_; });
          metadata.AddName("Path");
          (void)metadata.SetValue(0, path);
        };
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  std::set<std::string> OnWorker() {
    std::lock_guard lock(mutex_);
    return on_worker_;
  }
  std::set<std::string> OnCaller() {
    std::lock_guard lock(mutex_);
    return on_caller_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  std::set<std::string> on_worker_, on_caller_;
};

TEST(MetadataLoaderTest, TheRestIsReadOnTheCallerBesideTheWorkerWithoutOtherEvents) {
  WorkerHeldReader reader;
  std::set<std::string> delivered;
  TMetadataLoader loader(reader.Function(), [&](std::vector<TReadMetadata>& batch) {
    for (const TReadMetadata& read : batch) {
      EXPECT_EQ(read.metadata.ValueOf("Path"), read.path);
      delivered.insert(read.path);
    }
  });
  int token = 0;
  const std::vector<std::string> paths = {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg"};
  for (const std::string& path : paths) loader.Request(&token, path);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.OnWorker().empty(); }, 5000));
  bool other_event = false;
  QTimer::singleShot(0, [&] { other_event = true; });
  // The worker holds the first photo until the caller has read all the others.
  EXPECT_TRUE(loader.ReadRest([&](int pending) {
    if (pending == 1) reader.Open();
    return true;
  }));
  EXPECT_EQ(loader.Pending(), 0);
  EXPECT_EQ(delivered, std::set<std::string>(paths.begin(), paths.end()));
  EXPECT_EQ(reader.OnWorker(), std::set<std::string>{"/p/1.jpg"});
  EXPECT_EQ(reader.OnCaller(), std::set<std::string>(paths.begin() + 1, paths.end()));
  EXPECT_FALSE(other_event);  // a click or timer waits until the rest is read
  QCoreApplication::processEvents();
  EXPECT_TRUE(other_event);
}

TEST(MetadataLoaderTest, ReadingTheRestStopsWhenTheCallerSaysSo) {
  WorkerHeldReader reader;
  int delivered = 0;
  TMetadataLoader loader(reader.Function(), [&](std::vector<TReadMetadata>& batch) {
    delivered += static_cast<int>(batch.size());
  });
  int token = 0;
  for (const char* path : {"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"}) loader.Request(&token, path);
  int asked = 0;
  EXPECT_FALSE(loader.ReadRest([&](int) { return ++asked < 2; }));
  EXPECT_EQ(delivered, 1);  // one read by the caller before it stopped
  EXPECT_EQ(loader.Pending(), 2);
  reader.Open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.Pending() == 0; }, 5000));
  EXPECT_EQ(delivered, 3);
}

}  // namespace
}  // namespace vistrel
