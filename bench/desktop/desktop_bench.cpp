// Times the main window's event loop through the steps of bench/desktop.sh.
//
//   desktop_bench LIST FOLDER
// LIST is an image list of many photos, FOLDER a folder of other photos. The window is shown
// (offscreen or on a virtual display) and goes through: opening the list, sorting it by date,
// adding the folder, selecting every image and typing a property value, scrolling the image
// list from top to bottom, and showing the folder in the file browser. A timer on the
// user-interface thread ticks every 5 ms; for each step the driver prints the longest time
// between two ticks (a pause the user would feel), the step's wall time and, where the window
// reads photos in the background, the time until that is done.
//
// It drives only what the main window of every version offers, so that two trees can be
// compared side by side; a tree whose image list reads metadata in the background (it has
// ui/metadata_loader.h) is also waited for.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <functional>

#include "imaging/image_library.h"
#include "ui/dialogs.h"
#include "ui/file_browser_pane.h"
#include "ui/image_list_pane.h"
#include "ui/main_window.h"
#include "ui/property_editor.h"
#include "ui/record_list_model.h"

#if __has_include("ui/metadata_loader.h")
#define VISTREL_READS_IN_BACKGROUND 1
#endif

namespace vistrel {
namespace {

// Answers as a user who gives up unsaved changes and names a new property "Ort".
class TBenchDialogs : public TDialogs {
 public:
  void ShowError(QWidget*, const QString& text) override { Note("Fehler", text); }
  void ShowWarning(QWidget*, const QString& text) override { Note("Warnung", text); }
  TAnswer Ask(QWidget*, const QString&, const QString&, bool) override { return TAnswer::kNo; }
  int Choose(QWidget*, const QString&, const QString&, const QStringList& buttons) override {
    return static_cast<int>(buttons.size()) - 1;
  }
  bool GetText(QWidget*, const QString&, const QString&, QString& text) override {
    text = "Ort";
    return true;
  }
  QString GetOpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
  QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
    return {};
  }
  bool GetColor(QWidget*, QColor&) override { return false; }
  void OpenDocument(const QString&) override {}

 private:
  static void Note(const char* kind, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", kind, qPrintable(text.left(200)));
  }
};

// The longest time between two ticks of a 5 ms timer on this thread.
class TWatchdog {
 public:
  TWatchdog() {
    clock_.start();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
  }
  void Reset() {
    last_ = clock_.elapsed();
    longest_ = 0;
  }
  qint64 Longest() {
    Tick();
    return longest_;
  }

 private:
  void Tick() {
    const qint64 now = clock_.elapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  QElapsedTimer clock_;
  QTimer timer_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

// Runs the event loop until `done` holds (checked every 10 ms) or `limit_ms` have passed.
bool RunUntil(const std::function<bool()>& done, int limit_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit_ms) return false;
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

void Settle(int ms) {
  RunUntil([] { return false; }, ms);
}

int PendingReads(TVTLMainWin& window) {
#ifdef VISTREL_READS_IN_BACKGROUND
  return window.ImageList().Model().PendingMetadata();
#else
  (void)window;
  return 0;
#endif
}

// Runs one step: `act` on the event loop's turn, then events until `done`; prints the step.
void Step(TWatchdog& watchdog, TVTLMainWin& window, const char* name,
          const std::function<void()>& act, const std::function<bool()>& done) {
  Settle(100);
  QElapsedTimer clock;
  clock.start();
  watchdog.Reset();
  act();
  const qint64 call_ms = clock.elapsed();
  const bool finished = RunUntil(done, 120000);
  const qint64 shown_ms = clock.elapsed();
  const bool read = RunUntil([&] { return PendingReads(window) == 0; }, 120000);
  std::printf("%-22s longest pause %6lld ms   call %6lld ms   done %7lld ms   read %7lld ms%s\n",
              name, static_cast<long long>(watchdog.Longest()), static_cast<long long>(call_ms),
              static_cast<long long>(shown_ms), static_cast<long long>(clock.elapsed()),
              finished && read ? "" : "   (not finished)");
  std::fflush(stdout);
}

int Run(const QString& list, const QString& folder) {
  TBenchDialogs dialogs;
  TVTLMainWin window(dialogs);
  window.resize(1200, 800);
  window.show();
  TWatchdog watchdog;
  auto& table = *window.findChild<QTreeView*>("lvRecordList");
  const int folder_photos = static_cast<int>(QDir(folder).entryList(QDir::Files).size());

  Step(
      watchdog, window, "open list", [&] { window.OpenRecentList(list); },
      [&] { return window.RecordList().Count() > 0; });
  const int listed = window.RecordList().Count();
  Step(
      watchdog, window, "sort by date", [&] { window.ImageList().SortByDateTaken(); },
      [] { return true; });
  Step(
      watchdog, window, "add folder",
      [&] {
#ifdef VISTREL_READS_IN_BACKGROUND
        window.DropPaths({folder});
#else
        QStringList files;
        for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name))
          files << folder + "/" + name;
        window.DropPaths(files);
#endif
      },
      [&] { return window.RecordList().Count() >= listed + folder_photos; });
  Step(
      watchdog, window, "select all", [&] { table.selectAll(); }, [] { return true; });
  Step(
      watchdog, window, "new property", [&] { window.PropertyEditor().btnNeueEigenschaftClick(); },
      [] { return true; });
  auto& details = *window.findChild<QListView*>("lbDetails");
  auto& edit = *window.findChild<QLineEdit*>("edDetailEdit");
  Step(
      watchdog, window, "type a value",
      [&] {
        details.selectionModel()->select(details.model()->index(0, 0),
                                         QItemSelectionModel::ClearAndSelect);
        for (const char key : {'B', 'e', 'r', 'g'}) {
          QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(key)));
          QApplication::sendEvent(&edit, &press);
        }
      },
      [] { return true; });
  Step(
      watchdog, window, "scroll the list",
      [&] {
        QScrollBar* bar = table.verticalScrollBar();
        bar->setValue(0);
        const int steps = 60;
        for (int i = 1; i <= steps; ++i) {
          bar->setValue(bar->maximum() * i / steps);
          Settle(20);
        }
      },
      [] { return true; });
  auto& files = *window.findChild<QTreeView*>("ShellListView1");
  Step(
      watchdog, window, "browse the folder", [&] { window.SelectFolder(folder); },
      [&] { return files.model()->rowCount(files.rootIndex()) >= folder_photos; });
  Step(
      watchdog, window, "scroll the folder",
      [&] {
        QScrollBar* bar = files.verticalScrollBar();
        for (int i = 1; i <= 30; ++i) {
          bar->setValue(bar->maximum() * i / 30);
          Settle(20);
        }
      },
      [] { return true; });
  std::printf("photos in the list: %d\n", window.RecordList().Count());
  return 0;
}

}  // namespace
}  // namespace vistrel

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: desktop_bench LIST FOLDER\n");
    return 2;
  }
  vistrel::TImageLibrary image_library(argv[0]);
  QApplication app(argc, argv);
  return vistrel::Run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
}
