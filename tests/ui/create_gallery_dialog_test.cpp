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
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>
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
#include "ui/fram_empty.h"
#include "ui/image_preview.h"
#include "ui/progress_window.h"
#include "ui/runtime_controls.h"
#include "ui/variant_group.h"

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
    fixture.variants = {{"THUMB", "Vorschau", "0", "120", "th_%old%", ""},
                        {"BIG", "Groß", "300", "200", "%old%", "avif"}};
    fixture.template_files = {{"index.tpl",
                               "%TITEL%|%FARBE%|%SPALTEN%|%DATUM%|%ZEILEN%\n"
                               "[VTL] NEWSECTION NUMREPEAT:0\n%THUMB% %BIG%\n[VTL] ENDSECTION"}};
    WriteSkin(dir_ / "skins/zwei", fixture);
    TSkinFixture other;
    other.name = "alpha";
    WriteSkin(dir_ / "skins/alpha", other);
    WriteFile(dir_ / "skins/kaputt/k.vsk", "[General]\nSkinName=Kaputt\n");
    dialog_.SetSkinsFolder(QString::fromStdString(dir_ / "skins"));
    for (const char* name : {"a.jpg", "b.jpg"}) {
      WriteFile(dir_ / (std::string("photos/") + name), MakeJpeg(400, 300));
      records_.Add(std::make_unique<TVTLRecord>(dir_ / "photos/", name, nullptr, log_));
    }
    dialog_.SetSource({[this]() -> TVTLRecordList& { return records_; },
                       [this] { return QString::fromStdString(dir_ / "photos"); }});
    dialog_.SetFileServices(std::make_unique<ScratchFiles>(dir_ / "home"));
  }
  QComboBox& Skins() { return Child<QComboBox>(dialog_, "cbSkin"); }
  QLineEdit& OutputPath() { return Child<QLineEdit>(dialog_, "edOutputPath"); }
  // The user picks the skin `name` from the list.
  void Choose(const QString& name) {
    Skins().setCurrentIndex(Skins().findText(name));
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
  // The control of the required value `name`, and the controls of the image variant `name`.
  TVTLRuntimeControl& Control(const std::string& name) {
    TVTLRuntimeControl* control = dialog_.ValueControl(name);
    if (!control) throw std::runtime_error("no control for " + name);
    return *control;
  }
  TVariantGroup& Variant(const std::string& name) {
    TVariantGroup* group = dialog_.VariantGroup(name);
    if (!group) throw std::runtime_error("no variant " + name);
    return *group;
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
  EXPECT_EQ(OutputPath().text(), QString::fromStdString(dir_ / "photos/gallery/"));
  // The skin that failed to load is not offered.
  ASSERT_EQ(Skins().count(), 2);
  EXPECT_EQ(Skins().itemText(0), "alpha");
  EXPECT_EQ(Skins().itemText(1), "Zwei Varianten");
  EXPECT_TRUE(dialogs_.errors.isEmpty());
  EXPECT_EQ(dialog_.LoadedSkinIndex(), 0);
  EXPECT_EQ(Child<QLabel>(dialog_, "lblAutor").text(), "Tester");
  EXPECT_EQ(Child<QLineEdit>(dialog_, "edFilename").text(), "test.vsk");
}

// Whether the text of `label` is shown whole.
bool ShownWhole(const QLabel& label) {
  return label.width() >= label.fontMetrics().horizontalAdvance(label.text());
}

TEST_F(CreateGalleryTest, ControlsForEachValueTypeAndAGroupPerVariant) {
  dialog_.show();  // showing applies the first skin
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  Choose("Zwei Varianten");
  // TEXT, COLOR, NUMBER, (no control for DATE), NUMBER; then a group per variant.
  EXPECT_EQ(dialog_.ValueControlCount(), 4);
  EXPECT_EQ(Control("TITEL").LabelText(), "Titel:");
  EXPECT_EQ(Control("TITEL").GetValue(), "Meine Bilder");
  EXPECT_NE(dynamic_cast<TPanColorSelector*>(&Control("FARBE")), nullptr);
  EXPECT_EQ(Control("farbe").GetValue(), "#00FF80");
  EXPECT_EQ(Control("SPALTEN").GetValue(), "16777215");  // limited to the range
  EXPECT_EQ(dialog_.ValueControl("DATUM"), nullptr);
  EXPECT_EQ(Control("ZEILEN").GetValue(), "0");
  // Variant controls: width shown as the skin gives it even below the range, quality 80.
  ASSERT_EQ(dialog_.VariantGroupCount(), 2);
  EXPECT_EQ(Variant("THUMB").MaxWidth().LabelText(), "Maximale Breite: ");
  EXPECT_EQ(Variant("THUMB").MaxHeight().LabelText(), "Maximale Höhe: ");
  EXPECT_EQ(Variant("THUMB").Quality().LabelText(), "JPG-Qualität (0-100): ");
  const TVariantSetting thumb = Variant("THUMB").Setting();
  EXPECT_EQ(thumb.max_width, "0");
  EXPECT_EQ(thumb.max_height, "120");
  EXPECT_EQ(thumb.quality, "80");
  EXPECT_EQ(Variant("BIG").Setting().max_width, "300");
  EXPECT_EQ(Variant("BIG").title(), "Groß ");
  // The format starts as the skin says, JPEG where it says nothing, and is chosen like the rest.
  EXPECT_EQ(thumb.format, "JPEG");
  EXPECT_EQ(Variant("BIG").Setting().format, "AVIF");
  ASSERT_EQ(Variant("THUMB").Format().count(), 3);
  Variant("THUMB").Format().setCurrentText("WebP");
  EXPECT_EQ(Variant("THUMB").Setting().format, "WebP");

  // Choosing the applied skin again rebuilds nothing.
  const TVTLRuntimeControl* first = &Control("TITEL");
  dialog_.ApplySkinChoice();
  EXPECT_EQ(&Control("TITEL"), first);
  dialog_.reject();
}

TEST_F(CreateGalleryTest, ControlsStandInRowsWithTheirCaptionsWhole) {
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  Choose("Zwei Varianten");
  // Laid out one below the other at the same left edge, captions whole, inputs right of them.
  auto top_left = [&](const QWidget& widget) { return widget.mapTo(&dialog_, QPoint(0, 0)); };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return top_left(*Control("ZEILEN").Widget()).y() > top_left(*Control("TITEL").Widget()).y();
      },
      5000));
  const QWidget* previous = nullptr;
  for (const char* name : {"TITEL", "FARBE", "SPALTEN", "ZEILEN"}) {
    const QWidget& row = *Control(name).Widget();
    if (previous) {
      EXPECT_EQ(top_left(row).x(), top_left(*previous).x()) << name;
      EXPECT_GE(top_left(row).y(), top_left(*previous).y() + previous->height()) << name;
    }
    const QLabel& label = Child<QLabel>(row, "Lbl");
    EXPECT_TRUE(ShownWhole(label)) << name;
    for (const QWidget* input : row.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (input != &label) {
        EXPECT_GT(input->x(), label.geometry().right()) << name;
      }
    }
    previous = &row;
  }
  EXPECT_GE(top_left(Variant("BIG")).y(),
            top_left(Variant("THUMB")).y() + Variant("THUMB").height());
  for (TPanLabeledSpinEdit* control :
       {&Variant("THUMB").MaxWidth(), &Variant("THUMB").MaxHeight(), &Variant("THUMB").Quality()})
    EXPECT_TRUE(ShownWhole(Child<QLabel>(*control->Widget(), "Lbl")))
        << control->LabelText().toStdString();
  EXPECT_TRUE(ShownWhole(Child<QLabel>(Variant("THUMB").FormatRow(), "Lbl")));
  EXPECT_EQ(top_left(Variant("THUMB").FormatRow()).x(),
            top_left(*Variant("THUMB").MaxWidth().Widget()).x());
  EXPECT_GE(top_left(Variant("THUMB").FormatRow()).y(),
            top_left(*Variant("THUMB").MaxWidth().Widget()).y() +
                Variant("THUMB").MaxWidth().Widget()->height());
  dialog_.reject();
}

TEST_F(CreateGalleryTest, ASkinThatFailedToLoadKeepsThePreviousControls) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  const TVTLRuntimeControl* title = &Control("TITEL");
  dialogs_.open_files = {QString::fromStdString(dir_ / "skins/kaputt/k.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  ASSERT_EQ(dialogs_.errors.size(), 1);
  EXPECT_TRUE(
      dialogs_.errors[0].startsWith("Der Skin Kaputt konnte nicht geladen werden. Fehlermeldung: "
                                    "Fehler beim Laden der Datei "));
  EXPECT_EQ(Skins().currentText(), "Zwei Varianten");
  EXPECT_EQ(&Control("TITEL"), title);
  EXPECT_EQ(dialog_.VariantGroupCount(), 2);
  EXPECT_EQ(Skins().findText("Kaputt"), -1);
}

TEST_F(CreateGalleryTest, StartChecksSkinAndOutputPath) {
  dialog_.Prepare();
  OutputPath().setText("   ");
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors, (QStringList{"Bitte geben Sie ein Ausgabeverzeichnis an!"}));
  Skins().setCurrentIndex(-1);
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors.back(), "Bitte wählen Sie einen Skin aus der Liste oben aus!");
}

TEST_F(CreateGalleryTest, StartMakesTheGalleryThroughTheProgressWindow) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  Variant("THUMB").MaxWidth().SetValue("100");
  Control("TITEL").SetValue("Urlaub");
  const std::string out = dir_ / "galerie";
  OutputPath().setText(QString::fromStdString(out));
  Start();
  EXPECT_TRUE(dialogs_.errors.isEmpty()) << dialogs_.errors.join("\n").toStdString();
  EXPECT_EQ(ReadFile(out + "/index.html"),
            "\r\nUrlaub|#00FF80|16777215|heute|0\r\nth_a.jpg a.avif\r\nth_b.jpg b.avif");
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
  EXPECT_EQ(Control("TITEL").GetValue(), "Urlaub");
  Control("TITEL").SetValue("Winter");
  // The folder holds the gallery these settings made: it is replaced in place, unasked.
  Start();
  EXPECT_TRUE(dialogs_.questions.isEmpty()) << dialogs_.questions.join("\n").toStdString();
  EXPECT_EQ(ReadFile(out + "/index.html"),
            "\r\nWinter|#00FF80|16777215|heute|0\r\nth_a.jpg a.avif\r\nth_b.jpg b.avif");
  EXPECT_FALSE(Exists(out + "/index2.html"));
}

// A second gallery is never written beside a first one unasked: the user empties the folder
// (into the trash), chooses another folder, or stops.
TEST_F(CreateGalleryTest, AFolderThatIsNotEmptyIsEmptiedOrAnotherChosenOnlyWhenTheUserSaysSo) {
  dialog_.Prepare();
  Choose("alpha");
  const std::string out = dir_ / "galerie";
  WriteFile(out + "/index.html", "alte Galerie");
  OutputPath().setText(QString::fromStdString(out));

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
  EXPECT_EQ(OutputPath().text(), QString::fromStdString(other));
  EXPECT_TRUE(Exists(other + "/index.html"));
  EXPECT_EQ(ReadFile(out + "/index.html"), "alte Galerie");

  // Emptied first: the old gallery goes into the trash, the new one takes its place.
  OutputPath().setText(QString::fromStdString(out));
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
  OutputPath().setText("Galerien/Urlaub");
  emit OutputPath().editingFinished();  // the user leaves the field
  EXPECT_EQ(OutputPath().text(), full + "/Galerien/Urlaub");
  OutputPath().setText("Galerien/Sommer");
  Start();
  EXPECT_EQ(OutputPath().text(), full + "/Galerien/Sommer");
  EXPECT_TRUE(Exists(dir_ / "home/Galerien/Sommer/index.html"));
}

TEST_F(CreateGalleryTest, VariantBoxesTakeWhatARunTakesAndSizesOutsideAreRefusedWithTheRange) {
  dialog_.Prepare();
  Choose("Zwei Varianten");
  TVariantGroup& thumb = Variant("THUMB");
  EXPECT_EQ(thumb.MaxWidth().SpinBox().Maximum(), 16384);
  EXPECT_EQ(thumb.MaxHeight().SpinBox().Maximum(), 16384);
  EXPECT_EQ(thumb.Quality().SpinBox().Minimum(), 0);
  EXPECT_EQ(thumb.Quality().SpinBox().Maximum(), 100);
  EXPECT_FALSE(thumb.MaxWidth().SpinBox().InRange());  // the skin's width 0 is shown, marked
  // Out of range: "Start!" is disabled, and the note beside it names the variant by its
  // caption, the value and the range.
  const QPushButton& start = Child<QPushButton>(dialog_, "btnGoGo");
  const QLabel& note = Child<QLabel>(dialog_, "rangeNote");
  const QString width_note =
      "Ungültige Werte für die Bildvariante Vorschau! Maximale Breite: Erlaubt sind Werte von 1 "
      "bis 16.384.";
  EXPECT_FALSE(start.isEnabled());
  EXPECT_EQ(note.text(), width_note);
  EXPECT_TRUE(note.isVisibleTo(&dialog_));
  OutputPath().setText(QString::fromStdString(dir_ / "galerie"));
  dialog_.btnGoGoClick();  // as Enter would
  EXPECT_EQ(dialogs_.errors, (QStringList{width_note}));
  EXPECT_FALSE(Exists(dir_ / "galerie"));
  thumb.MaxWidth().SpinBox().SetValue(16384);
  EXPECT_TRUE(start.isEnabled());
  EXPECT_FALSE(note.isVisibleTo(&dialog_));
  // Typed too large: kept as typed, not cut to fewer digits, and Start is blocked again.
  TSpinEdit& height = thumb.MaxHeight().SpinBox();
  height.selectAll();
  QTest::keyClicks(&height, "17000");
  EXPECT_EQ(thumb.Setting().max_height, "17000");
  EXPECT_FALSE(start.isEnabled());
  EXPECT_EQ(
      note.text(),
      "Ungültige Werte für die Bildvariante Vorschau! Maximale Höhe: Erlaubt sind Werte von 1 "
      "bis 16.384.");
  // A number the skin asks for, typed too large, is named by its caption.
  height.SetValue(120);
  QSpinBox& columns = Child<QSpinBox>(*Control("SPALTEN").Widget(), "SpinEdit");
  columns.selectAll();
  QTest::keyClicks(&columns, "99999999");
  EXPECT_EQ(Control("SPALTEN").GetValue(), "99999999");
  EXPECT_FALSE(start.isEnabled());
  EXPECT_EQ(note.text(), "Ungültiger Wert für Spalten! Erlaubt sind Werte von 0 bis 16.777.215.");
  columns.setValue(3);
  EXPECT_TRUE(start.isEnabled());
  Start();
  EXPECT_EQ(dialogs_.errors.size(), 1);
  EXPECT_TRUE(Exists(dir_ / "galerie/index.html"));
}

// The cache is turned off for one run; its size is kept for the next start.
TEST_F(CreateGalleryTest, TheCacheIsOffForOneRunAndItsSizeIsKept) {
  dialog_.Prepare();
  EXPECT_TRUE(Child<QCheckBox>(dialog_, "useCacheBox").isChecked());
  EXPECT_EQ(Child<QSpinBox>(dialog_, "cacheSizeBox").value(), 2000);
  Child<QCheckBox>(dialog_, "useCacheBox").setChecked(false);
  Child<QSpinBox>(dialog_, "cacheSizeBox").setValue(500);
  EXPECT_FALSE(Child<QSpinBox>(dialog_, "cacheSizeBox").isEnabled());
  dialog_.Prepare();  // shown again
  EXPECT_TRUE(Child<QCheckBox>(dialog_, "useCacheBox").isChecked());
  EXPECT_TRUE(Child<QSpinBox>(dialog_, "cacheSizeBox").isEnabled());
  TfrmCreateGallery next(dialogs_, progress_, preview_, chooser_);
  EXPECT_TRUE(Child<QCheckBox>(next, "useCacheBox").isChecked());
  EXPECT_EQ(Child<QSpinBox>(next, "cacheSizeBox").value(), 500);
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
  dialog.SetSkinsFolder(QString::fromStdString(dir_ / "skins"));
  dialog.SetSource({[this]() -> TVTLRecordList& { return records_; },
                    [this] { return QString::fromStdString(dir_ / "photos"); }});
  const QRect screen = main_window.screen()->availableGeometry();
  ASSERT_EQ(screen.size(), QSize(1366, 768));
  QSize first_size;
  QSize first_minimum;
  for (int showing = 0; showing < 6; ++showing) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QComboBox& skins = Child<QComboBox>(dialog, "cbSkin");
    skins.setCurrentIndex(skins.findText(showing % 2 ? "Groß" : "alpha"));
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
    const QPushButton& go = Child<QPushButton>(dialog, "btnGoGo");
    const QRect start(go.mapToGlobal(QPoint(0, 0)), go.size());
    EXPECT_TRUE(screen.contains(start)) << "showing " << showing;
    if (showing % 2) {
      // All 16 values and 6 variants are there, in areas that scroll.
      EXPECT_EQ(dialog.ValueControlCount(), 16);
      EXPECT_EQ(dialog.VariantGroupCount(), 6);
      EXPECT_GT(Child<TframEmpty>(dialog, "frEmReqVars").verticalScrollBar()->maximum(), 0);
      EXPECT_GT(Child<TframEmpty>(dialog, "frEmImgMod").verticalScrollBar()->maximum(), 0);
      // Whatever size the skin wants, the dialog fits a screen of 1366 x 768 with its frame.
      EXPECT_LE(dialog.minimumSizeHint().height(), 680);
    }
    Child<QPushButton>(dialog, "cancelButton").click();  // "Abbrechen" closes it
    ASSERT_FALSE(dialog.isVisible());
  }
  // A size kept from a larger screen is brought onto this one.
  dialog.resize(2000, 1500);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_TRUE(screen.contains(dialog.frameGeometry()));
  dialog.reject();
}

// A skin with a default that is no number or colour is not offered; loaded by hand it is
// refused with a message naming the value and the skin file, and the skin applied stays.
TEST_F(CreateGalleryTest, ASkinWhoseControlsCannotBeBuiltIsNotOfferedAndNamesItsFault) {
  for (const auto& [name, values, variants, fault] :
       std::vector<std::tuple<std::string, std::vector<std::vector<std::string>>,
                              std::vector<std::vector<std::string>>, std::string>>{
           {"Zahlenfehler",
            {{"TITEL", "Titel", "TEXT", "x"}, {"N", "Anzahl", "NUMBER", "zwei"}},
            {{"THUMB", "k", "160", "160", "th_%old%"}},
            "\"zwei\" ist keine gültige Zahl! (Standardwert von „Anzahl“ in "},
           {"Farbfehler",
            {{"F", "Farbe", "COLOR", "blau"}},
            {{"THUMB", "k", "160", "160", "th_%old%"}},
            "Die Farbangabe \"blau\" ist keine gültige Farbe! (Standardwert von „Farbe“ in "},
           {"Größenfehler",
            {},
            {{"THUMB", "Klein", "160", "1.5", "th_%old%"}},
            "\"1.5\" ist keine gültige Zahl! (Maximale Höhe der Bildvariante „Klein“ in "}}) {
    TSkinFixture fixture;
    fixture.name = name;
    fixture.values = values;
    fixture.variants = variants;
    WriteSkin(dir_ / ("skins/" + name), fixture);
    dialog_.Prepare();
    EXPECT_EQ(Skins().findText(QString::fromStdString(name)), -1) << name;
    Choose("Zwei Varianten");
    Variant("THUMB").MaxWidth().SetValue("10");
    dialogs_.open_files = {QString::fromStdString(dir_ / ("skins/" + name + "/test.vsk"))};
    dialog_.BtnLoadOtherSkinClick();
    ASSERT_FALSE(dialogs_.errors.isEmpty()) << name;
    EXPECT_EQ(dialogs_.errors.back(),
              QString::fromStdString("Der Skin " + name +
                                     " konnte nicht geladen werden. Fehlermeldung: " + fault +
                                     (dir_ / ("skins/" + name + "/test.vsk")) + ")"));
    EXPECT_EQ(Skins().currentText(), "Zwei Varianten") << name;
    EXPECT_EQ(dialog_.VariantGroupCount(), 2) << name;
    EXPECT_TRUE(Child<QPushButton>(dialog_, "btnGoGo").isEnabled()) << name;
  }
}

TEST_F(CreateGalleryTest, EmptyingNeverTakesTheSkinInUse) {
  const std::string out = dir_ / "galerie";
  WriteSkin(out + "/meinskin", TSkinFixture{});
  dialog_.Prepare();
  dialogs_.open_files = {QString::fromStdString(out + "/meinskin/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  OutputPath().setText(QString::fromStdString(out));
  Child<QCheckBox>(dialog_, "cbCleanDirectoryBefore").setChecked(true);
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors.back(),
            QString::fromStdString(
                "Das Verzeichnis " + out +
                " kann nicht geleert werden!\nEs enthält Skins oder liegt in einem Skin."));
  EXPECT_TRUE(Exists(out + "/meinskin/index.tpl"));
  EXPECT_FALSE(progress_.isVisible());
}

// Loading a skin that is listed already chooses it, without an error.
TEST_F(CreateGalleryTest, LoadingASkinListedAlreadyChoosesIt) {
  dialog_.Prepare();
  EXPECT_EQ(Skins().currentText(), "alpha");
  WriteSkin(dir_ / "other", TSkinFixture{});
  dialogs_.open_files = {QString::fromStdString(dir_ / "skins/zwei/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  EXPECT_TRUE(dialogs_.warnings.isEmpty());
  EXPECT_TRUE(dialogs_.errors.isEmpty());
  EXPECT_EQ(Skins().currentText(), "Zwei Varianten");
  EXPECT_EQ(dialog_.VariantGroupCount(), 2);
  EXPECT_EQ(Skins().count(), 2);
  dialogs_.open_files = {QString::fromStdString(dir_ / "other/test.vsk")};
  dialog_.BtnLoadOtherSkinClick();
  EXPECT_EQ(dialog_.SkinList().Count(), 4);
  EXPECT_EQ(Skins().currentText(), "Testskin");
  // The folder shows from its start, and whole in its tip.
  const QLineEdit& path = Child<QLineEdit>(dialog_, "edPath");
  EXPECT_EQ(path.text(), QString::fromStdString(dir_ / "other/"));
  EXPECT_EQ(path.cursorPosition(), 0);
  EXPECT_EQ(path.toolTip(), path.text());
}

TEST_F(CreateGalleryTest, AnEmptySkinsFolderOffersNothingToStart) {
  dialog_.SetSkinsFolder(QString::fromStdString(dir_ / "nothing"));
  dialog_.Prepare();
  EXPECT_EQ(Skins().count(), 0);
  EXPECT_EQ(dialog_.ValueControlCount() + dialog_.VariantGroupCount(), 0);
  dialog_.btnGoGoClick();
  EXPECT_EQ(dialogs_.errors, (QStringList{"Bitte wählen Sie einen Skin aus der Liste oben aus!"}));
}

}  // namespace
}  // namespace vistrel
