// The progress window and the small windows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <thread>

#include "generation/run_request.h"
#include "generation/vistrel.h"
#include "image_fixtures.h"
#include "imaging/image_operations.h"
#include "skin_fixture.h"
#include "support/cancel_flag.h"
#include "support/disk.h"
#include "support/logger.h"
#include "support/user_messages.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/dir_dialog.h"
#include "ui/fake_dialogs.h"
#include "ui/find_child.h"
#include "ui/image_preview.h"
#include "ui/progress_window.h"
#include "ui/quit_on_stop_signal.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

QStringList Lines(const TfrmProgress& window) {
  QStringList lines;
  const QListWidget& log = Child<QListWidget>(window, "lbAction");
  for (int i = 0; i < log.count(); ++i) lines << log.item(i)->text();
  return lines;
}

const QProgressBar& Bar(const TfrmProgress& window) {
  return Child<QProgressBar>(window, "pbImages");
}

TEST(ProgressWindowTest, ReportsBecomeLinesBarAndButtons) {
  FakeDialogs dialogs;
  TfrmProgress window(dialogs);
  window.ReportProgress(0, 0, 0, 0, 0, "");
  window.ReportProgress(1, 1, 1, 2, 4, "");
  EXPECT_TRUE(Bar(window).isVisibleTo(&window));
  EXPECT_EQ(Bar(window).value(), 2);
  EXPECT_EQ(Bar(window).maximum(), 4);
  window.ReportProgress(-1, 0, 0, 0, 0, "Fehler beim Verarbeiten der Bilddatei /x.jpg!");
  window.ReportProgress(1, 1, 1, 3, 4, "");
  EXPECT_TRUE(Bar(window).isVisibleTo(&window));  // the step goes on after the error
  EXPECT_TRUE(Child<QPushButton>(window, "btnOk").isEnabled());
  EXPECT_EQ(Lines(window),
            (QStringList{"Initialisiere...fertig", "Erzeuge verkleinerte Bilder...",
                         "  Schritt 1 von 1", "Fehler beim Verarbeiten der Bilddatei /x.jpg!"}));
  EXPECT_EQ(Child<QListWidget>(window, "lbAction").currentRow(), 3);  // the last line is selected
  // The error stands out; the step lines do not.
  const QListWidget& log = Child<QListWidget>(window, "lbAction");
  EXPECT_NE(log.item(3)->foreground(), log.item(1)->foreground());
  window.ReportProgress(2, 1, 1, 0, 0, "");
  EXPECT_EQ(Lines(window)[1], "Erzeuge verkleinerte Bilder...fertig");
}

// A run in the progress window, of the test skin's photos in dir_/p, made by `images`.
class WindowRunTest : public ::testing::Test {
 protected:
  explicit WindowRunTest(TImageProcessor& images) : images_(images) {}
  // Makes the run of `skin` (the test skin when none) into `folder` and hands it to the window.
  void MakeRun(const std::string& folder, const TVTLSkin* skin = nullptr) {
    TRunInput input;
    input.skin = skin ? skin : &skin_;
    input.records = &records_;
    input.output_path = dir_ / folder;
    input.use_cache = false;
    const TRequestResult request = BuildRunRequest(input, files_);
    ASSERT_TRUE(request.request) << request.message;
    run_ = std::make_unique<TVistrel>(
        *request.request, TRunServices{images_, files_, messages_, window_.Reporter(), cancel_});
    window_.SetRun(run_.get(), &cancel_);
  }
  void TearDown() override { window_.SetRun(nullptr, nullptr); }

  TempDir dir_;
  FakeDialogs dialogs_;
  TfrmProgress window_{dialogs_};
  RecordedMessages messages_;
  TLogger log_;
  ScratchFiles files_{dir_ / "home"};
  TCancelFlag cancel_;
  TImageProcessor& images_;
  TVTLSkin skin_{SystemDisk(), (WriteSkin(dir_ / "skin"), dir_ / "skin/"), "test.vsk", messages_};
  TVTLRecordList records_;
  std::unique_ptr<TVistrel> run_;
};

// Runs of two photos whose skin has a start page, so that "Galerie anzeigen" appears.
class FinishedRunTest : public WindowRunTest {
 protected:
  FinishedRunTest() : WindowRunTest(vips_) {}
  void SetUp() override {
    for (const char* name : {"a.jpg", "b.jpg"}) {
      WriteFile(dir_ / (std::string("p/") + name), MakeJpeg(64, 48));
      records_.Add(std::make_unique<TVTLRecord>(dir_ / "p/", name, nullptr, log_));
    }
  }
  // Shows the window for a new run of `skin` into `folder` and waits until the run is over;
  // "Galerie anzeigen" is then offered when the skin's start page was written.
  void RunInto(const std::string& folder, const TVTLSkin* skin = nullptr) {
    MakeRun(folder, skin);
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !window_.Running() && window_.Log().OkEnabled(); }, 10000));
    // The run's reports come before its end: the window shows its last state now.
    ASSERT_EQ(Child<QPushButton>(window_, "btnShowGal").isVisible(), !run_->StartPage().empty());
  }
  // Enter, where the keyboard focus is, as a user's key press goes.
  void PressEnter() {
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &window_;
    QTest::keyClick(focus, Qt::Key_Return);
  }

  TVipsImageProcessor vips_;
};

// The first run is closed with a click on "OK", so the window remembers that button as the one
// with the focus; in the next run "OK" is disabled at first and the focus lands elsewhere.
TEST_F(FinishedRunTest, EnterClosesTheWindowAfterTheRunAndOpensNothing) {
  RunInto("erste");
  QTest::mouseClick(&Child<QPushButton>(window_, "btnOk"), Qt::LeftButton);
  ASSERT_FALSE(window_.isVisible());
  RunInto("zweite");
  PressEnter();
  EXPECT_TRUE(dialogs_.documents.isEmpty());
  EXPECT_FALSE(window_.isVisible());
  window_.hide();
}

// A skin whose start page names no page of its own: the run finishes, but there is nothing
// "Galerie anzeigen" could open, so it is not offered.
TEST_F(FinishedRunTest, WithoutItsStartPageTheGalleryIsNotOffered) {
  TSkinFixture fixture;
  fixture.start_page = "uebersicht";
  const TVTLSkin skin(SystemDisk(), (WriteSkin(dir_ / "ohne", fixture), dir_ / "ohne/"), "test.vsk",
                      messages_);
  RunInto("ohne-start", &skin);
  EXPECT_EQ(window_.Log().Lines().back(), "Galerie erfolgreich erstellt!");
  EXPECT_FALSE(Child<QPushButton>(window_, "btnShowGal").isVisible());
  QTest::mouseClick(&Child<QPushButton>(window_, "btnOk"), Qt::LeftButton);
  RunInto("mit-start");
  EXPECT_TRUE(Child<QPushButton>(window_, "btnShowGal").isVisible());
  window_.hide();
}

// A photo processor that holds each image until the run is cancelled.
class WaitingImages : public TImageProcessor {
 public:
  explicit WaitingImages(const TCancelFlag& cancel) : cancel_(cancel) {}
  bool ScaleImage(const std::string&, const std::vector<TScaleRequest>& requests,
                  std::vector<TScaledCopy>& copies) override {
    while (!cancel_.Cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    copies.assign(requests.size(), TScaledCopy());
    return false;
  }

 private:
  const TCancelFlag& cancel_;
};

// A run of three photos in the progress window whose copies wait until it is cancelled.
class WaitingRunTest : public WindowRunTest {
 protected:
  WaitingRunTest() : WindowRunTest(waiting_) {}
  void SetUp() override {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
      WriteFile(dir_ / (std::string("p/") + name), "never read");
      records_.Add(std::make_unique<TVTLRecord>(dir_ / "p/", name, nullptr, log_));
    }
    MakeRun("out");
  }

  WaitingImages waiting_{cancel_};
};

TEST_F(WaitingRunTest, AbbrechenStopsTheRunAndTheWindowCanThenBeClosed) {
  window_.show();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return window_.Running() && !Lines(window_).isEmpty(); }, 5000));
  EXPECT_TRUE(Child<QPushButton>(window_, "cancelButton").isVisible());
  window_.reject();  // closing during the run asks it to stop, and keeps the window open
  EXPECT_TRUE(window_.isVisible());
  EXPECT_FALSE(Child<QPushButton>(window_, "cancelButton").isEnabled());
  // The run's last report arrives after it has ended.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !window_.Running() && Lines(window_).back().startsWith("Abgebrochen: "); },
      10000))
      << Lines(window_).join("|").toStdString();
  EXPECT_TRUE(Child<QPushButton>(window_, "btnOk").isEnabled());
  EXPECT_FALSE(Child<QPushButton>(window_, "cancelButton").isVisible());
  EXPECT_TRUE(ListFolder(dir_ / "out").empty());  // the reserved names are gone again
  window_.reject();
  EXPECT_FALSE(window_.isVisible());
}

// SIGINT or SIGTERM during a run (a byte on the signals' pipe): the run is cancelled as
// "Abbrechen" does, and the program is ended with status 130 only once the run has stopped and
// cleaned up; without a run it is ended at once.
TEST_F(WaitingRunTest, AStopSignalCancelsTheRunAndEndsTheProgramOnceItHasStopped) {
  int pipe_fds[2];
  ASSERT_EQ(::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC), 0);
  std::vector<int> quits;  // the status, or -1 when a run was still going on
  TQuitOnStopSignal quit(window_, pipe_fds[0],
                         [&](int status) { quits.push_back(window_.Running() ? -1 : status); });
  window_.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_.Running(); }, 5000));
  ASSERT_EQ(::write(pipe_fds[1], "s", 1), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !quits.empty(); }, 10000));
  EXPECT_EQ(quits, std::vector<int>{130});
  EXPECT_TRUE(cancel_.Cancelled());
  // The run's last report arrives after it has ended.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return Lines(window_).back().startsWith("Abgebrochen"); }, 5000))
      << Lines(window_).join("|").toStdString();
  EXPECT_TRUE(ListFolder(dir_ / "out").empty());
  window_.reject();

  ASSERT_EQ(::write(pipe_fds[1], "s", 1), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return quits.size() == 2; }, 5000));
  EXPECT_EQ(quits.back(), 130);
  ::close(pipe_fds[0]);
  ::close(pipe_fds[1]);
}

TEST(DirectoryChooserTest, HandsBackTheChosenFolderOrWhatItGot) {
  TempDir dir;
  WriteFile(dir / "wahl/x.txt", "");
  FakeDialogs dialogs;
  TfrmDirDlg chooser(dialogs);
  chooser.SetDirectoryPath(QString::fromStdString(dir / "wahl"));
  chooser.SelectStartFolder();
  chooser.Button1Click();
  EXPECT_EQ(chooser.DirectoryPath(), QString::fromStdString(dir / "wahl"));

  // A folder yet to be made opens at the nearest one above it; "Abbrechen" hands back what
  // was handed in.
  const QString planned = QString::fromStdString(dir / "wahl/neu/galerie/");
  chooser.SetDirectoryPath(planned);
  chooser.SelectStartFolder();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return chooser.SelectedFolder() == QString::fromStdString(dir / "wahl"); }, 5000));
  Child<QPushButton>(chooser, "cancelButton").click();
  EXPECT_EQ(chooser.result(), QDialog::Rejected);
  EXPECT_EQ(chooser.DirectoryPath(), planned);

  // A path with nothing of it there (or relative) opens at the home folder.
  chooser.SetDirectoryPath("gibt es nicht");
  chooser.SelectStartFolder();
  chooser.reject();  // closed without "OK"
  EXPECT_EQ(chooser.DirectoryPath(), "gibt es nicht");
  ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.SelectedFolder() == QDir::homePath(); }, 5000));
  chooser.Button1Click();
  EXPECT_EQ(chooser.DirectoryPath(), QDir::homePath());
}

// The folder handed in lies among hundreds of others: once the tree has read them, it is
// selected and visible, not somewhere below the window's edge.
TEST(DirectoryChooserTest, ShowsTheFolderHandedInScrolledIntoView) {
  TempDir dir;
  for (int i = 0; i < 300; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d/", i);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir / name)));
  }
  FakeDialogs dialogs;
  TfrmDirDlg chooser(dialogs);
  const QString wanted = QString::fromStdString(dir / "f250");
  chooser.SetDirectoryPath(wanted);
  chooser.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.SelectedFolder() == wanted; }, 5000));
  // Once all folders have been read and sorted in, the folder is in view.
  QTreeView* tree = &Child<QTreeView>(chooser, "ShellTreeView1");
  const QModelIndex parent = tree->currentIndex().parent();
  auto in_view = [&] {
    const QRect row = tree->visualRect(tree->currentIndex());
    return tree->model()->rowCount(parent) == 300 &&
           tree->viewport()->rect().contains(row.center());
  };
  EXPECT_TRUE(QTest::qWaitFor(in_view, 5000))
      << tree->model()->rowCount(parent) << " folders read; row at "
      << tree->visualRect(tree->currentIndex()).y() << " in a view of height "
      << tree->viewport()->height();
  QCoreApplication::processEvents();  // a sort still pending keeps it there too
  EXPECT_TRUE(in_view());
  chooser.hide();
}

TEST(DirectoryChooserTest, MakesANewFolderInTheSelectedOneAndSelectsIt) {
  TempDir dir;
  WriteFile(dir / "galerien/alt/x.txt", "");
  FakeDialogs dialogs;
  TfrmDirDlg chooser(dialogs);
  const QString parent = QString::fromStdString(dir / "galerien");
  chooser.SetDirectoryPath(parent);
  chooser.SelectStartFolder();
  ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.SelectedFolder() == parent; }, 5000));

  dialogs.texts = {"Urlaub 2026"};
  EXPECT_TRUE(chooser.NewFolderClick());
  EXPECT_TRUE(QFileInfo(parent + "/Urlaub 2026").isDir());
  EXPECT_EQ(chooser.SelectedFolder(), parent + "/Urlaub 2026");
  chooser.Button1Click();
  EXPECT_EQ(chooser.DirectoryPath(), parent + "/Urlaub 2026");

  // Names that are no folder names, or that are taken, make nothing and say why.
  chooser.SetDirectoryPath(parent);
  chooser.SelectStartFolder();
  ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.SelectedFolder() == parent; }, 5000));
  for (const char* name : {"a/b", "..", "alt"}) {
    dialogs.texts = {name};
    EXPECT_FALSE(chooser.NewFolderClick()) << name;
  }
  EXPECT_EQ(dialogs.errors, (QStringList{"Der Name a/b ist als Ordnername nicht möglich.",
                                         "Der Name .. ist als Ordnername nicht möglich.",
                                         "Im Ordner " + parent + " gibt es schon alt."}));
  EXPECT_EQ(ListFolder(dir / "galerien"), (std::vector<std::string>{"Urlaub 2026", "alt"}));
  dialogs.texts.clear();  // cancelled
  EXPECT_FALSE(chooser.NewFolderClick());
}

// The desktop's own dialogs, answered from inside their event loop.
TEST(DesktopDialogsTest, ATextPromptShowsItsWholeTitleAndTheColourDialogOpensAtTheColourGiven) {
  TQtDialogs dialogs;
  QWidget parent;
  const QString title = "Eigenschaft umbenennen";
  int width = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    width = box->width();
    EXPECT_EQ(box->windowTitle(), title);
    box->setTextValue("Motiv");
    box->accept();
  });
  QString text = "Titel";
  EXPECT_TRUE(dialogs.GetText(&parent, title, "Neuer Name für die Eigenschaft Titel:", text));
  EXPECT_EQ(text, "Motiv");
  QFont bold = parent.font();
  bold.setBold(true);
  EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(title) + 150) << width;

  QColor shown;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = box->currentColor();
    box->reject();
  });
  QColor color(0x33, 0x66, 0x99);
  EXPECT_FALSE(dialogs.GetColor(&parent, color));
  EXPECT_EQ(shown, QColor(0x33, 0x66, 0x99));
  EXPECT_EQ(color, QColor(0x33, 0x66, 0x99));
}

TEST(ImagePreviewTest, ShowsThePictureAtItsOwnSize) {
  TempDir dir;
  WriteFile(dir / "vorschau.jpg", MakeJpeg(800, 600));
  TfrmImgPreview preview;
  preview.ShowImage(QString::fromStdString(dir / "vorschau.jpg"));
  EXPECT_EQ(preview.windowTitle(), "vorschau.jpg");
  EXPECT_EQ(Child<QLabel>(preview, "imgPreview").pixmap().size(), QSize(800, 600));
  EXPECT_EQ(preview.size(), QSize(800, 600));
}

TEST(AboutBoxTest, HasTheLogoAndTheDefaultButton) {
  TAboutBox about;
  about.SetVersionText("Version 0.33 (beta)");
  EXPECT_EQ(Child<QLabel>(about, "version").text(), "Version 0.33 (beta)");
  EXPECT_EQ(about.windowTitle(), "Info");
  EXPECT_FALSE(DrawLogo(128).isNull());
  EXPECT_GE(about.width(), 342);
}

}  // namespace
}  // namespace vistrel
