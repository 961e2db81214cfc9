// The gallery a list made, remembered with the list: the create-gallery dialog opens with its
// settings, after the list is saved and opened again too, and a list of its own starts from
// the gallery made last.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <filesystem>

#include "csv/gallery_settings_file.h"
#include "image_fixtures.h"
#include "skin_fixture.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/create_gallery_dialog.h"
#include "ui/dir_dialog.h"
#include "ui/fake_dialogs.h"
#include "ui/find_child.h"
#include "ui/image_preview.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"
#include "ui/variant_group.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

class RememberedGalleryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings().clear();
    TSkinFixture fixture;
    fixture.name = "Reise";
    fixture.values = {{"TITEL", "Titel", "TEXT", "Vorgabe"},
                      {"FARBE", "Hintergrund", "COLOR", "#000000"},
                      {"SPALTEN", "Spalten", "NUMBER", "4"}};
    fixture.variants = {{"THUMB", "Vorschaubilder", "160", "120", "th_%old%"},
                        {"BIG", "Großbilder", "800", "600", "%old%"}};
    fixture.template_files = {{"index.tpl",
                               "%TITEL%|%FARBE%|%SPALTEN%\n"
                               "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB% %BIG%\n[VTL] ENDSECTION"}};
    WriteSkin(dir_ / "skins/reise", fixture);
    TSkinFixture first;
    first.name = "Anfang";
    WriteSkin(dir_ / "skins/anfang", first);
    dialog_.SetSkinsFolder(QString::fromStdString(dir_ / "skins"));
    dialog_.SetFileServices(std::make_unique<ScratchFiles>(dir_ / "home"));
    dialog_.SetSource({[this]() -> TVTLRecordList& { return window_.RecordList(); },
                       [this] { return QString::fromStdString(dir_ / "photos"); }});
    window_.SetWindows(&dialog_, &about_);
    for (const char* name : {"a.jpg", "b.jpg"})
      WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(400, 300));
    window_.DropPaths({Path("photos/a.jpg"), Path("photos/b.jpg")});
  }
  QString Path(const std::string& relative) const {
    return QString::fromStdString(dir_ / relative);
  }
  QComboBox& Skins() { return Child<QComboBox>(dialog_, "cbSkin"); }
  QLineEdit& OutputPath() { return Child<QLineEdit>(dialog_, "edOutputPath"); }
  TVTLRuntimeControl& Control(const std::string& name) { return *dialog_.ValueControl(name); }
  // "Galerie erzeugen..." of the main window; `fill` sets the dialog's controls before "Start!".
  void MakeGallery(const std::function<void()>& fill) {
    QTimer::singleShot(0, [&] {
      fill();
      WithProgressClosed([this] { dialog_.btnGoGoClick(); });
      dialog_.accept();
    });
    window_.btnGoClick();
  }
  // Calls `start`, closing the progress window once its run is over.
  void WithProgressClosed(const std::function<void()>& start) {
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [this] {
      if (progress_.isVisible() && !progress_.Running() && progress_.Log().OkEnabled())
        progress_.accept();
    });
    closer.start();
    start();
  }
  // What the dialog shows when it opens for the window's list, closed at once.
  void OpenDialog(const std::function<void()>& look) {
    QTimer::singleShot(0, [&] {
      look();
      dialog_.reject();
    });
    window_.btnGoClick();
  }
  void FillReise() {
    Skins().setCurrentIndex(Skins().findText("Reise"));
    dialog_.ApplySkinChoice();
    Control("TITEL").SetValue("Am Meer");
    Control("FARBE").SetValue("#336699");
    Control("SPALTEN").SetValue("6");
    dialog_.VariantGroup("BIG")->SetSetting({"1024", "768", "90", "WebP"});
    Child<QCheckBox>(dialog_, "cbCopyOrigImages").setChecked(true);
    Child<QCheckBox>(dialog_, "omitLocationBox").setChecked(true);
    Child<QCheckBox>(dialog_, "useCacheBox").setChecked(false);
    OutputPath().setText(Path("web"));
  }
  void ExpectReise() {
    EXPECT_EQ(Skins().currentText(), "Reise");
    EXPECT_EQ(OutputPath().text(), Path("web/"));
    EXPECT_EQ(Control("TITEL").GetValue(), "Am Meer");
    EXPECT_EQ(Control("FARBE").GetValue(), "#336699");
    EXPECT_EQ(Control("SPALTEN").GetValue(), "6");
    const TVariantSetting big = dialog_.VariantGroup("BIG")->Setting();
    EXPECT_EQ(big.max_width, "1024");
    EXPECT_EQ(big.max_height, "768");
    EXPECT_EQ(big.quality, "90");
    EXPECT_EQ(big.format, "WebP");
    EXPECT_EQ(dialog_.VariantGroup("THUMB")->Setting().max_width, "160");
    EXPECT_TRUE(Child<QCheckBox>(dialog_, "cbCopyOrigImages").isChecked());
    EXPECT_TRUE(Child<QCheckBox>(dialog_, "omitLocationBox").isChecked());
    EXPECT_FALSE(Child<QCheckBox>(dialog_, "useCacheBox").isChecked());
  }

  TempDir dir_;
  FakeDialogs dialogs_;
  TVTLMainWin window_{dialogs_};
  TfrmProgress progress_{dialogs_};
  TfrmImgPreview preview_;
  TfrmDirDlg chooser_{dialogs_};
  TfrmCreateGallery dialog_{dialogs_, progress_, preview_, chooser_};
  TAboutBox about_;
};

TEST_F(RememberedGalleryWindowTest, TheListKeepsItsGalleryBesideItsFileAndOpensWithIt) {
  dialogs_.save_files = {Path("liste.csv")};
  ASSERT_TRUE(window_.SaveImageListAs());
  EXPECT_FALSE(Exists(dir_ / "liste.csv.vistrel-galerie"));  // no gallery made yet
  MakeGallery([this] { FillReise(); });
  ASSERT_TRUE(Exists(dir_ / "web/index.html"));
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("\n").toStdString();
  ASSERT_TRUE(window_.Gallery());
  // Written at once, although the list itself was not changed.
  const std::optional<TGallerySettings> kept =
      LoadGallerySettings(SystemDisk(), dir_ / "liste.csv.vistrel-galerie");
  ASSERT_TRUE(kept);
  EXPECT_EQ(*kept, *window_.Gallery());
  EXPECT_FALSE(kept->id.empty());
  EXPECT_TRUE(kept->omit_location);
  // The list reader of the list file is untouched by them.
  EXPECT_TRUE(ReadFile(dir_ / "liste.csv").starts_with("\"Dateiname\";\"Pfad\";"));

  // Another list, then this one again: the dialog opens as the gallery was made.
  window_.NewImageList();
  EXPECT_FALSE(window_.Gallery());
  dialogs_.open_files = {Path("liste.csv")};
  window_.LoadImageList();
  ASSERT_TRUE(window_.Gallery());
  EXPECT_EQ(window_.Gallery()->id, kept->id);
  // What the dialog showed last does not count, only what the list kept.
  Child<QCheckBox>(dialog_, "cbCopyOrigImages").setChecked(false);
  Child<QCheckBox>(dialog_, "omitLocationBox").setChecked(false);
  OpenDialog([this] { ExpectReise(); });
}

TEST_F(RememberedGalleryWindowTest, AListWithoutAGalleryStartsFromTheOneMadeLast) {
  MakeGallery([this] { FillReise(); });
  const std::string first_id = window_.Gallery()->id;
  // A new list made no gallery: it starts from the last one, which it would make anew.
  dialogs_.answers = {TDialogs::TAnswer::kNo};  // the first list is not saved
  window_.NewImageList();
  EXPECT_FALSE(window_.Gallery());
  window_.DropPaths({Path("photos/a.jpg")});
  OpenDialog([this] { ExpectReise(); });
  MakeGallery([this] { OutputPath().setText(Path("zweite")); });
  ASSERT_TRUE(window_.Gallery());
  EXPECT_NE(window_.Gallery()->id, first_id);
  EXPECT_EQ(window_.Gallery()->output_folder, dir_ / "zweite/");
  // Saved later, the list takes its settings along.
  dialogs_.save_files = {Path("neu.csv")};
  ASSERT_TRUE(window_.SaveImageListAs());
  const std::optional<TGallerySettings> kept =
      LoadGallerySettings(SystemDisk(), dir_ / "neu.csv.vistrel-galerie");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->id, window_.Gallery()->id);
}

TEST_F(RememberedGalleryWindowTest, SettingsTheSkinNoLongerTakesAreLeftOut) {
  TGallerySettings settings;
  settings.skin_file = dir_ / "skins/reise/test.vsk";
  settings.output_folder = dir_ / "alt/";
  settings.values = {{"TITEL", "Alt"}, {"SPALTEN", "viele"}, {"WEG", "x"}};
  settings.variants = {{"BIG", "0", "99999", "50", "BMP"}, {"WEG", "1", "1", "1", "JPEG"}};
  dialog_.SetRemembered(settings);
  dialog_.Prepare();
  EXPECT_TRUE(dialogs_.errors.isEmpty());
  EXPECT_EQ(Skins().currentText(), "Reise");
  EXPECT_EQ(Control("TITEL").GetValue(), "Alt");
  EXPECT_EQ(Control("SPALTEN").GetValue(), "4");
  const TVariantSetting big = dialog_.VariantGroup("BIG")->Setting();
  EXPECT_EQ(big.max_width, "800");
  EXPECT_EQ(big.max_height, "600");
  EXPECT_EQ(big.quality, "50");
  EXPECT_EQ(big.format, "JPEG");
  EXPECT_TRUE(Child<QPushButton>(dialog_, "btnGoGo").isEnabled());

  // A skin that is gone: the dialog opens with the first skin and the remembered folder.
  settings.skin_file = dir_ / "skins/weg/weg.vsk";
  dialog_.SetRemembered(settings);
  dialog_.Prepare();
  EXPECT_TRUE(dialogs_.errors.isEmpty());
  EXPECT_EQ(Skins().currentText(), "Anfang");
  EXPECT_EQ(OutputPath().text(), Path("alt/"));
}

TEST_F(RememberedGalleryWindowTest, GalerieAktualisierenReplacesTheGalleryInPlace) {
  QAction& update = Child<QAction>(window_, "updateGalleryAction");
  EXPECT_FALSE(update.isEnabled());  // no gallery made yet
  EXPECT_EQ(update.shortcut(), QKeySequence("Ctrl+G"));
  dialogs_.save_files = {Path("liste.csv")};
  ASSERT_TRUE(window_.SaveImageListAs());
  MakeGallery([this] { FillReise(); });
  ASSERT_TRUE(Exists(dir_ / "web/index.html"));
  EXPECT_TRUE(update.isEnabled());
  WriteFile(dir_ / "web/notiz.txt", "meins");

  // One photo more, and the gallery is made again where it is, without the dialog.
  WriteFile(dir_ / "photos/c.jpg", MakeJpeg(400, 300));
  window_.DropPaths({Path("photos/c.jpg")});
  WithProgressClosed([&] { update.trigger(); });
  // The run had the new photo's metadata, read although the background had not finished it.
  EXPECT_GT(window_.RecordList().Item(2).Metadata.Count(), 0);
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("\n").toStdString();
  EXPECT_TRUE(dialogs_.questions.isEmpty()) << dialogs_.questions.join("\n").toStdString();
  EXPECT_TRUE(Exists(dir_ / "web/c.jpg"));
  EXPECT_FALSE(Exists(dir_ / "web/index2.html"));
  EXPECT_EQ(ReadFile(dir_ / "web/notiz.txt"), "meins");
  EXPECT_TRUE(ReadFile(dir_ / "web/index.html").starts_with("\r\nAm Meer|#336699|6"));

  // Through the dialog into the same folder: the same, without the question about the folder.
  MakeGallery([this] { Control("TITEL").SetValue("Am See"); });
  EXPECT_TRUE(dialogs_.questions.isEmpty()) << dialogs_.questions.join("\n").toStdString();
  EXPECT_FALSE(Exists(dir_ / "web/index2.html"));
  EXPECT_TRUE(ReadFile(dir_ / "web/index.html").starts_with("\r\nAm See|"));

  // Another list's gallery is something else: the folder is asked about as before.
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.NewImageList();
  EXPECT_FALSE(update.isEnabled());
  window_.DropPaths({Path("photos/a.jpg")});
  dialogs_.choices = {2};  // "Abbrechen"
  dialogs_.questions.clear();
  MakeGallery([] {});
  EXPECT_EQ(dialogs_.questions.size(), 1);
  EXPECT_TRUE(dialogs_.questions.value(0).startsWith("Verzeichnis nicht leer|"));

  // A gallery folder that is gone offers no update.
  std::filesystem::remove_all(dir_ / "web");
  dialogs_.open_files = {Path("liste.csv")};
  dialogs_.answers = {TDialogs::TAnswer::kNo};
  window_.LoadImageList();
  EXPECT_FALSE(update.isEnabled());
}

}  // namespace
}  // namespace vistrel
