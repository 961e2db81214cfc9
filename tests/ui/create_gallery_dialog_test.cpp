#include "ui/create_gallery_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "image_fixtures.h"
#include "model/color.h"
#include "model/record.h"
#include "skin_fixture.h"
#include "support/logger.h"
#include "test_support.h"
#include "ui/dir_dialog.h"
#include "ui/fake_dialogs.h"
#include "ui/find_child.h"
#include "ui/image_preview.h"
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"

namespace vistrel {
namespace {

using namespace vistrel::testing;

// The dialog with its windows, over a skins folder and an image list of the test.
class CreateGalleryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings().clear();
    TSkinFixture fixture;
    fixture.name = "Zwei Varianten";
    fixture.values = {{"TITEL", "Titel", "TEXT", "Meine Bilder"},
                      {"FARBE", "Hintergrund", "Color", "#00ff80"},
                      {"SPALTEN", "Spalten", "number", "99999999"},
                      {"DATUM", "Datum", "DATE", "heute"},
                      {"ZEILEN", "Zeilen", "NUMBER", "-3"}};
    fixture.variants = {{"THUMB", "Vorschau", "0", "120", "th_%old%"},
                        {"BIG", "Groß", "300", "200", "%old%"}};
    fixture.template_files = {{"index.tpl",
                               "%TITEL%|%FARBE%|%SPALTEN%|%DATUM%|%ZEILEN%\n"
                               "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB% %BIG%\n[VTL] ENDSECTION"}};
    WriteSkin(dir_ / "skins/zwei", fixture);
    TSkinFixture other;
    other.name = "alpha";
    WriteSkin(dir_ / "skins/alpha", other);
    WriteFile(dir_ / "skins/kaputt/k.vsk", "[General]\nSkinName=Kaputt\n");
    dialog_.SkinsFolder = QString::fromStdString(dir_ / "skins");
    for (const char* name : {"a.jpg", "b.jpg"}) {
      WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(400, 300));
      records_.Add(std::make_unique<TVTLRecord>(dir_ / "photos/", name, nullptr, log_));
    }
    dialog_.SetSource({[this]() -> TVTLRecordList& { return records_; },
                       [this] { return QString::fromStdString(dir_ / "photos"); }});
    dialog_.SetFileServices(std::make_unique<ScratchFiles>(dir_ / "home"));
  }
  void Choose(const QString& name) {
    dialog_.cbSkin->setCurrentIndex(dialog_.cbSkin->findText(name));
    dialog_.ApplySkinChoice();
  }
  // Presses "Start!" and closes the progress window when its run is over.
  void Start() {
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [this] {
      if (progress_.isVisible() && !progress_.Running() && progress_.Log().OkEnabled())
        progress_.accept();
    });
    closer.start();
    dialog_.btnGoGoClick();
  }
  std::string Value(int control) const {
    return dialog_.ValueControls[static_cast<size_t>(control)]->GetValue();
  }

  TempDir dir_;
  FakeDialogs dialogs_;
  TLogger log_;
  TVTLRecordList records_;
  TfrmProgress progress_{dialogs_};
  TfrmImgPreview preview_;
  TfrmDirDlg chooser_{dialogs_};
  TfrmCreateGallery dialog_{dialogs_, progress_, preview_, chooser_};
};

TEST_F(CreateGalleryTest, ShowingListsTheSkinsSortedAndAppliesTheFirst) {
  dialog_.Prepare();
  EXPECT_EQ(dialog_.edOutputPath->text(), QString::fromStdString(dir_ / "photos/gallery/"));
  ASSERT_EQ(dialog_.cbSkin->count(), 3);
  EXPECT_EQ(dialog_.cbSkin->itemText(0), "alpha");
  EXPECT_EQ(dialog_.cbSkin->itemText(1), "Kaputt");
  EXPECT_EQ(dialog_.cbSkin->itemText(2), "Zwei Varianten");
  EXPECT_EQ(dialog_.LoadedSkinIndex, 0);
  EXPECT_EQ(dialog_.lblAutor->text(), "Tester");
  EXPECT_EQ(dialog_.edFilename->text(), "test.vsk");
}

TEST_F(CreateGalleryTest, ControlsForEachValueTypeAndThreePerVariant) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  // TEXT, COLOR, NUMBER, (no control for DATE), NUMBER; then 3 per variant.
  EXPECT_EQ(dialog_.RequiredValueCount, 4);
  ASSERT_EQ(dialog_.ValueControls.size(), 10u);
  EXPECT_EQ(dialog_.ValueControls[0]->Lbl->text(), "Titel:");
  EXPECT_EQ(Value(0), "Meine Bilder");
  EXPECT_NE(dynamic_cast<TPanColorSelector*>(dialog_.ValueControls[1].get()), nullptr);
  EXPECT_EQ(Value(1), "#00FF80");
  EXPECT_EQ(Value(2), "16777215");  // limited to the range
  EXPECT_EQ(Value(3), "0");
  // Each control sits 4 pixels below the one before.
  EXPECT_EQ(dialog_.ValueControls[0]->Panel->y(), 0);
  EXPECT_EQ(dialog_.ValueControls[1]->Panel->y(),
            dialog_.ValueControls[0]->Panel->geometry().bottom() + 5);
  EXPECT_EQ(dialog_.ValueControls[0]->Panel->x(), 4);
  // Variant controls: width shown as the skin gives it even below the range, quality 80.
  EXPECT_EQ(dialog_.ValueControls[4]->Lbl->text(), "Maximale Breite: ");
  EXPECT_EQ(dialog_.ValueControls[5]->Lbl->text(), "Maximale Höhe: ");
  EXPECT_EQ(dialog_.ValueControls[6]->Lbl->text(), "JPG-Qualität (0-100): ");
  EXPECT_EQ(Value(4), "0");
  EXPECT_EQ(Value(5), "120");
  EXPECT_EQ(Value(6), "80");
  EXPECT_EQ(Value(7), "300");  // the second variant from RequiredValueCount + 3
  ASSERT_EQ(dialog_.VariantGroups.size(), 2u);
  EXPECT_EQ(dialog_.VariantGroups[1]->title(), "Groß ");
  EXPECT_GT(dialog_.VariantGroups[1]->y(), dialog_.VariantGroups[0]->geometry().bottom());
  // Nothing cut off: each label is as wide as its text needs.
  for (const auto& control : dialog_.ValueControls)
    EXPECT_GE(control->Lbl->width(), control->Lbl->sizeHint().width())
        << control->Lbl->text().toStdString();

  // Choosing the applied skin again rebuilds nothing.
  auto* first = dialog_.ValueControls[0].get();
  dialog_.ApplySkinChoice();
  EXPECT_EQ(dialog_.ValueControls[0].get(), first);
}

TEST_F(CreateGalleryTest, ASkinThatFailedToLoadKeepsThePreviousControls) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  const size_t controls = dialog_.ValueControls.size();
  Choose("Kaputt");
  ASSERT_EQ(dialogs_.errors.size(), 1);
  EXPECT_TRUE(
      dialogs_.errors[0].startsWith("Der Skin Kaputt konnte nicht geladen werden. Fehlermeldung: "
                                    "Fehler beim Laden der Datei "));
  EXPECT_EQ(dialog_.cbSkin->currentText(), "Zwei Varianten");
  EXPECT_EQ(dialog_.ValueControls.size(), controls);
}

TEST_F(CreateGalleryTest, StartChecksSkinAndOutputPath) {
  dialog_.Prepare();
  dialog_.edOutputPath->setText("   ");
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors, (QStringList{"Bitte geben Sie ein Ausgabeverzeichnis an!"}));
  dialog_.cbSkin->setCurrentIndex(-1);
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors.back(), "Bitte wählen Sie einen Skin aus der Liste oben aus!");
}

TEST_F(CreateGalleryTest, StartMakesTheGalleryThroughTheProgressWindow) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  static_cast<TPanLabeledSpinEdit*>(dialog_.ValueControls[4].get())->SpinEdit->SetValue(100);
  static_cast<TPanLabeledEdit*>(dialog_.ValueControls[0].get())->Edit->setText("Urlaub");
  const std::string out = dir_ / "galerie";
  dialog_.edOutputPath->setText(QString::fromStdString(out));
  Start();
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("\n").toStdString();
  EXPECT_EQ(ReadFile(out + "/index.html"),
            "\r\nUrlaub|#00FF80|16777215|heute|0\r\nth_a.jpg a.jpg\r\nth_b.jpg b.jpg");
  EXPECT_EQ(InspectJpeg(out + "/th_a.jpg").width, 100);
  QStringList lines;
  const QListWidget& log = Child<QListWidget>(progress_, "lbAction");
  for (int i = 0; i < log.count(); ++i) lines << log.item(i)->text();
  EXPECT_EQ(lines, (QStringList{"Initialisiere...fertig", "Erzeuge verkleinerte Bilder...fertig",
                                "  Schritt 1 von 2", "  Schritt 2 von 2",
                                "Initialisiere Parser und erzeuge Ausgabedateien...fertig",
                                "  Schritt 1 von 1", "Galerie erfolgreich erstellt!"}));
  EXPECT_TRUE(Child<QPushButton>(progress_, "btnShowGal").isVisibleTo(&progress_));
  // The dialog keeps its values; a second start builds new settings from them.
  EXPECT_EQ(Value(0), "Urlaub");
  static_cast<TPanLabeledEdit*>(dialog_.ValueControls[0].get())->Edit->setText("Winter");
  dialogs_.choices = {0};  // the folder holds the first gallery: empty it first
  Start();
  EXPECT_EQ(ReadFile(out + "/index.html"),
            "\r\nWinter|#00FF80|16777215|heute|0\r\nth_a.jpg a.jpg\r\nth_b.jpg b.jpg");
  EXPECT_FALSE(Exists(out + "/index2.html"));
}

// A second gallery is never written beside a first one unasked: the user empties the folder
// (into the trash), chooses another folder, or stops.
TEST_F(CreateGalleryTest, AFolderThatIsNotEmptyIsEmptiedOrAnotherChosenOnlyWhenTheUserSaysSo) {
  dialog_.Prepare();
  Choose("alpha");
  const std::string out = dir_ / "galerie";
  WriteFile(out + "/index.html", "alte Galerie");
  dialog_.edOutputPath->setText(QString::fromStdString(out));

  Start();  // the question is cancelled: nothing happens
  ASSERT_EQ(dialogs_.questions.size(), 1);
  EXPECT_EQ(dialogs_.questions[0],
            QString::fromStdString(
                "Verzeichnis nicht leer|Das Verzeichnis " + out +
                "/ ist nicht leer.\n\nEine neue Galerie darin stünde neben dem, was schon dort "
                "liegt (etwa als index2.html). Soll Vistrel das Verzeichnis vorher leeren? Sein "
                "Inhalt kommt dabei in den Papierkorb."));
  EXPECT_EQ(
      dialogs_.choice_buttons[0],
      (QStringList{"Leeren und Galerie erzeugen", "Anderes Verzeichnis wählen...", "Abbrechen"}));
  EXPECT_EQ(ListFolder(out), (std::vector<std::string>{"index.html"}));
  EXPECT_EQ(Child<QListWidget>(progress_, "lbAction").count(), 0);

  // Another folder, chosen in the directory chooser.
  const std::string other = dir_ / "andere";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(other)));
  dialogs_.choices = {1};
  QTimer chooser;
  chooser.setInterval(10);
  QObject::connect(&chooser, &QTimer::timeout, [&] {
    if (!chooser_.isVisible()) return;
    chooser_.SetDirectoryPath(QString::fromStdString(other));
    chooser_.accept();
  });
  chooser.start();
  Start();
  chooser.stop();
  EXPECT_EQ(dialog_.edOutputPath->text(), QString::fromStdString(other));
  EXPECT_TRUE(Exists(other + "/index.html"));
  EXPECT_EQ(ReadFile(out + "/index.html"), "alte Galerie");

  // Emptied first: the old gallery goes into the trash, the new one takes its place.
  dialog_.edOutputPath->setText(QString::fromStdString(out));
  dialogs_.choices = {0};
  Start();
  EXPECT_NE(ReadFile(out + "/index.html"), "alte Galerie");
  EXPECT_FALSE(Exists(out + "/index2.html"));
  EXPECT_EQ(ReadFile(dir_ / "home/.local/share/Trash/files/index.html"), "alte Galerie");
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("\n").toStdString();
}

TEST_F(CreateGalleryTest, ARelativeOutputPathStartsAtTheHomeFolderAndIsShownInFull) {
  // The home folder is the one of the dialog's file services, whatever $HOME says.
  ScopedEnv home("HOME", dir_ / "zuhause");
  const QString full = QString::fromStdString(dir_ / "home");
  for (const auto& [typed, shown] : std::vector<std::pair<QString, QString>>{
           {"Galerien/Urlaub", full + "/Galerien/Urlaub"},
           {"~/Galerien/./Urlaub/", full + "/Galerien/Urlaub/"},
           {"~", full},
           {"/srv/www/../galerie", "/srv/galerie"}})
    EXPECT_EQ(dialog_.FullOutputPath(typed), shown) << typed.toStdString();

  dialog_.Prepare();
  Choose("alpha");
  dialog_.edOutputPath->setText("Galerien/Urlaub");
  emit dialog_.edOutputPath->editingFinished();  // the user leaves the field
  EXPECT_EQ(dialog_.edOutputPath->text(), full + "/Galerien/Urlaub");
  dialog_.edOutputPath->setText("Galerien/Sommer");
  Start();
  EXPECT_EQ(dialog_.edOutputPath->text(), full + "/Galerien/Sommer");
  EXPECT_TRUE(Exists(dir_ / "home/Galerien/Sommer/index.html"));
}

TEST_F(CreateGalleryTest, VariantBoxesTakeWhatARunTakesAndSizesOutsideAreRefusedWithTheRange) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  auto box = [&](int control) {
    return static_cast<TPanLabeledSpinEdit*>(
               dialog_.ValueControls[static_cast<size_t>(control)].get())
        ->SpinEdit;
  };
  EXPECT_EQ(box(4)->Maximum(), 16384);
  EXPECT_EQ(box(5)->Maximum(), 16384);
  EXPECT_EQ(box(6)->Minimum(), 0);
  EXPECT_EQ(box(6)->Maximum(), 100);
  EXPECT_FALSE(box(4)->InRange());  // the skin's width 0 is shown, marked
  dialog_.edOutputPath->setText(QString::fromStdString(dir_ / "galerie"));
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors,
            (QStringList{"Ungültige Werte für die Bildvariante THUMB!\nMaximale Breite und Höhe: "
                         "1 bis 16384 Pixel, JPG-Qualität: 0 bis 100."}));
  EXPECT_FALSE(Exists(dir_ / "galerie"));
  box(4)->SetValue(16384);
  Start();
  EXPECT_EQ(dialogs_.errors.size(), 1);
  EXPECT_TRUE(Exists(dir_ / "galerie/index.html"));
}

// The cache is turned off for one run; its size is kept for the next start.
TEST_F(CreateGalleryTest, TheCacheIsOffForOneRunAndItsSizeIsKept) {
  dialog_.Prepare();
  EXPECT_TRUE(dialog_.cbUseCache->isChecked());
  EXPECT_EQ(dialog_.sbCacheSize->value(), 2000);
  dialog_.cbUseCache->setChecked(false);
  dialog_.sbCacheSize->setValue(500);
  EXPECT_FALSE(dialog_.sbCacheSize->isEnabled());
  dialog_.Prepare();  // shown again
  EXPECT_TRUE(dialog_.cbUseCache->isChecked());
  EXPECT_TRUE(dialog_.sbCacheSize->isEnabled());
  TfrmCreateGallery next(dialogs_, progress_, preview_, chooser_);
  EXPECT_TRUE(next.cbUseCache->isChecked());
  EXPECT_EQ(next.sbCacheSize->value(), 500);
}

// The skin's preview is shown while the dialog is modal, as it is when the program runs it:
// the preview must take input then (it is closed with Escape), not lie blocked behind the
// dialog.
TEST_F(CreateGalleryTest, ThePreviewOpensInFrontOfTheModalDialogAndClosesWithEscape) {
  const std::string skin_file = dir_ / "skins/zwei/test.vsk";
  std::string text = ReadFile(skin_file);
  text.replace(text.find("Author=Tester\r\n"), 15, "Author=Tester\r\nPreview=vorschau.jpg\r\n");
  WriteFile(skin_file, text);
  WriteFile(dir_ / "skins/zwei/vorschau.jpg", MakeJpeg(320, 200));
  QWidget main_window;
  main_window.setGeometry(100, 100, 977, 680);
  main_window.show();
  preview_.setParent(&main_window, preview_.windowFlags());  // as the program creates it
  struct TGiveBack {  // the preview belongs to the fixture, not to this main window
    TfrmImgPreview& preview;
    ~TGiveBack() { preview.setParent(nullptr, preview.windowFlags()); }
  } give_back{preview_};
  dialog_.setWindowModality(Qt::ApplicationModal);  // as exec() shows it
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  Choose("Zwei Varianten");
  dialog_.imgPreviewClick();
  ASSERT_TRUE(preview_.isVisible());
  EXPECT_EQ(preview_.windowTitle(), "vorschau.jpg");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview_));
  EXPECT_TRUE(QTest::qWaitForWindowActive(&preview_));
  // A key as the window system delivers it: a window blocked by the modal dialog drops it.
  QTest::keyClick(preview_.windowHandle(), Qt::Key_Escape);
  EXPECT_FALSE(preview_.isVisible());
  // Shown again, it closes with the dialog.
  dialog_.imgPreviewClick();
  EXPECT_TRUE(preview_.isVisible());
  dialog_.reject();
  EXPECT_FALSE(preview_.isVisible());
}

// A skin of 16 values and 6 image variants.
TSkinFixture LargeSkin() {
  TSkinFixture fixture;
  fixture.name = "Groß";
  fixture.values.clear();
  for (int i = 0; i < 16; ++i)
    fixture.values.push_back({"WERT" + std::to_string(i), "Wert Nummer " + std::to_string(i),
                              i % 3 == 0 ? "COLOR" : "TEXT", i % 3 == 0 ? "#336699" : "x"});
  fixture.variants.clear();
  for (int i = 0; i < 6; ++i)
    fixture.variants.push_back({"V" + std::to_string(i), "Variante " + std::to_string(i), "800",
                                "600", "v" + std::to_string(i) + "_%old%"});
  return fixture;
}

// The dialog is shown again and again, with skins of different sizes: it keeps its size, opens
// centred on the main window, and fits the screen with its buttons.
TEST_F(CreateGalleryTest, KeepsItsSizeOpensCentredOnTheMainWindowAndFitsTheScreen) {
  WriteSkin(dir_ / "skins/gross", LargeSkin());
  QWidget main_window;
  main_window.setGeometry(250, 60, 977, 680);
  main_window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_window));
  TfrmCreateGallery dialog(dialogs_, progress_, preview_, chooser_, &main_window);
  dialog.SkinsFolder = dialog_.SkinsFolder;
  dialog.SetSource({[this]() -> TVTLRecordList& { return records_; },
                    [this] { return QString::fromStdString(dir_ / "photos"); }});
  const QRect screen = main_window.screen()->availableGeometry();
  ASSERT_EQ(screen.size(), QSize(1366, 768));
  QSize first_size;
  QSize first_minimum;
  for (int showing = 0; showing < 6; ++showing) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.cbSkin->setCurrentIndex(dialog.cbSkin->findText(showing % 2 ? "Groß" : "alpha"));
    dialog.ApplySkinChoice();
    QCoreApplication::sendPostedEvents();  // the layouts take in the new controls
    if (showing == 0) {
      first_size = dialog.size();
      first_minimum = dialog.minimumSizeHint();
    }
    EXPECT_EQ(dialog.size(), first_size) << "showing " << showing;
    EXPECT_EQ(dialog.minimumSizeHint().width(), first_minimum.width()) << "showing " << showing;
    const QPoint centre = dialog.frameGeometry().center();
    EXPECT_LE((centre - main_window.frameGeometry().center()).manhattanLength(), 4)
        << "showing " << showing;
    EXPECT_TRUE(screen.contains(dialog.frameGeometry())) << "showing " << showing;
    const QRect start(dialog.btnGoGo->mapToGlobal(QPoint(0, 0)), dialog.btnGoGo->size());
    EXPECT_TRUE(screen.contains(start)) << "showing " << showing;
    if (showing % 2) {
      // All 16 values and 6 variants are there, in areas that scroll.
      EXPECT_EQ(dialog.ValueControls.size(), 16u + 18u);
      EXPECT_GT(dialog.frEmReqVars->verticalScrollBar()->maximum(), 0);
      EXPECT_GT(dialog.frEmImgMod->verticalScrollBar()->maximum(), 0);
      // Whatever size the skin wants, the dialog fits a screen of 1366 x 768 with its frame.
      EXPECT_LE(dialog.minimumSizeHint().height(), 680);
    }
    dialog.btnCancel->click();  // "Abbrechen" closes it
    ASSERT_FALSE(dialog.isVisible());
  }
  // A size kept from a larger screen is brought onto this one.
  dialog.resize(2000, 1500);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(screen.contains(dialog.frameGeometry()));
  dialog.reject();
}

TEST_F(CreateGalleryTest, ASkinWhoseControlsCannotBeBuiltCannotBeStarted) {
  for (const auto& [name, values, variants] :
       std::vector<std::tuple<std::string, std::vector<std::vector<std::string>>,
                              std::vector<std::vector<std::string>>>>{
           {"Zahlenfehler",
            {{"TITEL", "Titel", "TEXT", "x"}, {"N", "Anzahl", "NUMBER", "zwei"}},
            {{"THUMB", "k", "160", "160", "th_%old%"}}},
           {"Farbfehler",
            {{"F", "Farbe", "COLOR", "blau"}},
            {{"THUMB", "k", "160", "160", "th_%old%"}}},
           {"Größenfehler", {}, {{"THUMB", "k", "160", "1.5", "th_%old%"}}}}) {
    TSkinFixture fixture;
    fixture.name = name;
    fixture.values = values;
    fixture.variants = variants;
    WriteSkin(dir_ / ("skins/" + name), fixture);
    dialog_.Prepare();
    Choose(QString::fromStdString(name));
    ASSERT_FALSE(dialogs_.errors.isEmpty()) << name;
    EXPECT_TRUE(dialogs_.errors.back().startsWith(QString::fromStdString(
        "Der Skin " + name + " konnte nicht geladen werden. Fehlermeldung: ")));
    EXPECT_TRUE(dialog_.ValueControls.empty()) << name;
    EXPECT_FALSE(dialog_.btnGoGo->isEnabled()) << name;
    dialog_.btnGoGoClick();  // refused, not a crash
    EXPECT_EQ(dialogs_.errors.back(), "Bitte wählen Sie einen Skin aus der Liste oben aus!");
    // A good skin chosen afterwards can be started again.
    Choose("alpha");
    EXPECT_TRUE(dialog_.btnGoGo->isEnabled());
  }
}

TEST_F(CreateGalleryTest, EmptyingNeverTakesTheSkinInUse) {
  const std::string out = dir_ / "galerie";
  WriteSkin(out + "/meinskin", TSkinFixture{});
  dialog_.Prepare();
  dialogs_.open_files = {QString::fromStdString(out + "/meinskin/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  dialog_.edOutputPath->setText(QString::fromStdString(out));
  dialog_.cbCleanDirectoryBefore->setChecked(true);
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors.back(),
            QString::fromStdString(
                "Das Verzeichnis " + out +
                " kann nicht geleert werden!\nEs enthält Skins oder liegt in einem Skin."));
  EXPECT_TRUE(Exists(out + "/meinskin/index.tpl"));
  EXPECT_FALSE(progress_.isVisible());
}

TEST_F(CreateGalleryTest, LoadingTheSameSkinTwiceIsRefused) {
  dialog_.Prepare();
  const QString file = QString::fromStdString(dir_ / "skins/ZWEI/test.vsk");
  WriteSkin(dir_ / "other", TSkinFixture{});
  dialogs_.open_files = {QString::fromStdString(dir_ / "skins/zwei/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  EXPECT_EQ(dialogs_.warnings, (QStringList{"Der gewählte Skin wurde bereits geladen!"}));
  dialogs_.open_files = {QString::fromStdString(dir_ / "other/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  EXPECT_EQ(dialog_.SkinList.Count(), 4);
  EXPECT_EQ(dialog_.cbSkin->currentText(), "Testskin");
  EXPECT_EQ(dialog_.edPath->text(), QString::fromStdString(dir_ / "other/"));
}

TEST_F(CreateGalleryTest, AnEmptySkinsFolderOffersNothingToStart) {
  dialog_.SkinsFolder = QString::fromStdString(dir_ / "nothing");
  dialog_.Prepare();
  EXPECT_EQ(dialog_.cbSkin->count(), 0);
  EXPECT_TRUE(dialog_.ValueControls.empty());
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors, (QStringList{"Bitte wählen Sie einen Skin aus der Liste oben aus!"}));
}

}  // namespace
}  // namespace vistrel
