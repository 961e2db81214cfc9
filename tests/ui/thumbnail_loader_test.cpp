#include "ui/thumbnail_loader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vistrel {
namespace {

// A render function that the test holds: each picture waits until the test lets it through or
// the loader goes, and the files are noted in the order they were made.
class HeldRender {
 public:
  TThumbnailLoader::TRender Function() {
    return [this](const QString& path, int size, const TCancelFlag& cancel) {
      std::unique_lock lock(mutex_);
      started_.push_back(path);
      on_worker_ = QThread::currentThread() != qApp->thread();
      // The loader sets its flag without telling this condition, so it is looked at often.
      while (!release_.wait_for(lock, std::chrono::milliseconds(1),
                                [&] { return open_ || released_ > 0 || cancel.Cancelled(); })) {
      }
      if (!open_ && released_ > 0) --released_;
      made_.push_back(path);
      return path.endsWith("kaputt") ? QImage() : QImage(size, size / 2, QImage::Format_RGB32);
    };
  }
  void Release(int pictures) {
    std::lock_guard lock(mutex_);
    released_ += pictures;
    release_.notify_all();
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    release_.notify_all();
  }
  QStringList Started() {
    std::lock_guard lock(mutex_);
    return started_;
  }
  QStringList Made() {
    std::lock_guard lock(mutex_);
    return made_;
  }
  bool OnWorker() {
    std::lock_guard lock(mutex_);
    return on_worker_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable release_;
  int released_ = 0;
  bool open_ = false;
  bool on_worker_ = false;
  QStringList started_, made_;
};

TEST(ThumbnailLoaderTest, PicturesAreMadeOnTheWorkerOnceAndKept) {
  HeldRender render;
  QStringList ready;
  TThumbnailLoader loader(render.Function(), 64, [&](const QString& path) { ready << path; });
  loader.Request("/a.jpg", "a1");
  loader.Request("/a.jpg", "a1");             // asked twice, made once
  EXPECT_TRUE(loader.Cached("a1").isNull());  // answers at once, before the picture exists
  render.Open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return ready.size() == 1; }, 5000));
  EXPECT_TRUE(render.OnWorker());
  EXPECT_EQ(loader.Cached("a1").size(), QSize(64, 32));
  loader.Request("/a.jpg", "a1");
  // A file changed on disk has another key and is made anew; one that cannot be read is tried
  // once.
  loader.Request("/a.jpg", "a2");
  loader.Request("/kaputt", "k");
  ASSERT_TRUE(QTest::qWaitFor([&] { return ready.size() == 3; }, 5000));
  EXPECT_EQ(loader.Pending(), 0);
  loader.Request("/kaputt", "k");
  EXPECT_EQ(loader.Pending(), 0);  // not asked for again: nothing more will be made
  // The worker may begin "a2" before "k" is asked for: which comes first is the other test's.
  QStringList made = render.Made();
  made.sort();
  EXPECT_EQ(made, (QStringList{"/a.jpg", "/a.jpg", "/kaputt"}));
  EXPECT_TRUE(loader.Cached("k").isNull());
  EXPECT_EQ(loader.Rendered(), 3);
}

TEST(ThumbnailLoaderTest, TheNewestRequestComesFirstAndForgottenOnesAreDropped) {
  HeldRender render;
  QStringList ready;
  TThumbnailLoader loader(render.Function(), 32, [&](const QString& path) { ready << path; });
  loader.Request("/1", "1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return render.Started().size() == 1; }, 5000));
  for (const char* name : {"/2", "/3", "/4"}) loader.Request(name, name);
  render.Release(2);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ready.size() == 2; }, 5000));
  EXPECT_EQ(ready, (QStringList{"/1", "/4"}));  // the one in work, then the newest
  ASSERT_TRUE(QTest::qWaitFor([&] { return render.Started().size() == 3; }, 5000));
  loader.Forget();  // another folder: "/2", not yet begun, is no longer wanted
  render.Open();
  // Once nothing is pending, "/2" will not come.
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.Pending() == 0; }, 5000));
  EXPECT_EQ(ready, (QStringList{"/1", "/4", "/3"}));
  loader.Request("/2", "/2");  // asked again, made after all
  ASSERT_TRUE(QTest::qWaitFor([&] { return ready.size() == 4; }, 5000));
  EXPECT_EQ(render.Made(), (QStringList{"/1", "/4", "/3", "/2"}));
}

// The picture in work is held until the loader goes; the loader drops its queue first, so the
// pictures not begun are never made, and the one in work is never answered.
TEST(ThumbnailLoaderTest, DestroyingTheLoaderStopsTheWorkWithoutAnswering) {
  HeldRender render;
  int answered = 0;
  {
    TThumbnailLoader loader(render.Function(), 32, [&](const QString&) { ++answered; });
    for (const char* name : {"/1", "/2", "/3"}) loader.Request(name, name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return render.Started().size() == 1; }, 5000));
  }
  QCoreApplication::sendPostedEvents();  // a picture handed back would arrive now
  EXPECT_EQ(answered, 0);
  ASSERT_EQ(render.Made().size(), 1);  // the one in work, whichever the worker took first
  EXPECT_EQ(render.Made(), render.Started());
}

}  // namespace
}  // namespace vistrel
