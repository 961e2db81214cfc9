#include "ui/metadata_loader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

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

}  // namespace
}  // namespace vistrel
