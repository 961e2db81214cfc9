#include "generation/progress_log.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

using Lines = std::vector<std::string>;

TEST(ProgressLogTest, ARunOfTwoVariantsThreeImagesAndTwoTemplates) {
  TProgressLog log(true);
  log.Report(0, 0, 0, 0, 0, "");
  for (int v = 1; v <= 2; ++v)
    for (int i = 1; i <= 3; ++i) log.Report(1, v, 2, i, 3, "");
  EXPECT_TRUE(log.BarVisible());
  EXPECT_EQ(log.BarPosition(), 3);
  log.Report(4, 0, 0, 0, 0, "");
  EXPECT_FALSE(log.BarVisible());  // hidden at every change of step
  log.Report(2, 1, 2, 0, 0, "");
  log.Report(2, 2, 2, 0, 0, "");
  EXPECT_FALSE(log.OkEnabled());
  log.Report(6, 0, 0, 0, 0, "");
  EXPECT_EQ(log.Lines(),
            (Lines{"Initialisiere...fertig", "Erzeuge verkleinerte Bilder...fertig",
                   "  Schritt 1 von 2", "  Schritt 2 von 2", "Kopiere Dateien...fertig",
                   "Initialisiere Parser und erzeuge Ausgabedateien...fertig", "  Schritt 1 von 2",
                   "  Schritt 2 von 2", "Galerie erfolgreich erstellt!"}));
  EXPECT_TRUE(log.OkEnabled());
  EXPECT_TRUE(log.ShowGalleryVisible());
  EXPECT_FALSE(log.HadError());
}

TEST(ProgressLogTest, RepeatedStepsAndSubStepsAddNothing) {
  TProgressLog log;
  log.Report(1, 1, 0, 0, 0, "");
  log.Report(1, 1, 0, 0, 0, "");
  log.Report(1, 0, 0, 0, 0, "");
  EXPECT_EQ(log.Lines(), (Lines{"Erzeuge verkleinerte Bilder...", "  Schritt 1"}));
  // A new step starts its sub-steps afresh.
  log.Report(2, 1, 1, 0, 0, "");
  EXPECT_EQ(log.Lines().back(), "  Schritt 1 von 1");
}

TEST(ProgressLogTest, ErrorsAddTheirMessageAndEnableOk) {
  TProgressLog before;
  before.Report(-1, 0, 0, 0, 0, "Kann Ausgabeverzeichnis nicht erstellen!");
  EXPECT_EQ(before.Lines(), (Lines{"Kann Ausgabeverzeichnis nicht erstellen!"}));  // no "fertig"
  EXPECT_TRUE(before.OkEnabled());
  EXPECT_TRUE(before.HadError());
  EXPECT_TRUE(before.IsErrorLine(0));
  // A step reported after the error is the first one: nothing before it gets "fertig".
  before.Report(0, 0, 0, 0, 0, "");
  EXPECT_EQ(before.Lines(),
            (Lines{"Kann Ausgabeverzeichnis nicht erstellen!", "Initialisiere..."}));

  // A run that ends at an error leaves its step unfinished.
  TProgressLog during(true);
  during.Report(0, 0, 0, 0, 0, "");
  during.Report(2, 1, 1, 0, 0, "");
  during.Report(-1, 0, 0, 0, 0, "Fehler!");
  EXPECT_EQ(during.Lines(),
            (Lines{"Initialisiere...fertig", "Initialisiere Parser und erzeuge Ausgabedateien...",
                   "  Schritt 1 von 1", "Fehler!"}));
  EXPECT_FALSE(during.ShowGalleryVisible());
}

// Images that fail while the copies are made: each error is a line of its own under the step,
// the step's header is written once and gets its "fertig" on its own line, and the sub-step
// and the bar go on as before the error.
TEST(ProgressLogTest, ErrorsStandUnderTheirStepWhichGoesOn) {
  TProgressLog log(true);
  log.Report(0, 0, 0, 0, 0, "");
  log.Report(1, 1, 2, 1, 3, "");
  log.Report(-1, 0, 0, 0, 0, "Fehler beim Verarbeiten der Bilddatei /p/kaputt.jpg!");
  EXPECT_TRUE(log.BarVisible());
  log.Report(1, 1, 2, 2, 3, "");
  log.Report(-1, 0, 0, 0, 0, "Fehler beim Verarbeiten der Bilddatei /p/weg.jpg!");
  log.Report(1, 1, 2, 3, 3, "");
  log.Report(1, 2, 2, 1, 3, "");
  log.Report(2, 1, 1, 0, 0, "");
  log.Report(6, 0, 0, 0, 0, "Galerie erstellt, 2 Bilder konnten nicht verarbeitet werden.");
  EXPECT_EQ(log.Lines(),
            (Lines{"Initialisiere...fertig", "Erzeuge verkleinerte Bilder...fertig",
                   "  Schritt 1 von 2", "Fehler beim Verarbeiten der Bilddatei /p/kaputt.jpg!",
                   "Fehler beim Verarbeiten der Bilddatei /p/weg.jpg!", "  Schritt 2 von 2",
                   "Initialisiere Parser und erzeuge Ausgabedateien...fertig", "  Schritt 1 von 1",
                   "Galerie erstellt, 2 Bilder konnten nicht verarbeitet werden."}));
  for (size_t i = 0; i < log.Lines().size(); ++i)
    EXPECT_EQ(log.IsErrorLine(i), i == 3 || i == 4) << i;
  EXPECT_TRUE(log.ShowGalleryVisible());
  EXPECT_TRUE(log.HadError());
}

TEST(ProgressLogTest, BarNeedsPositionAndMaximum) {
  TProgressLog log;
  log.Report(1, 1, 1, 0, 5, "");
  EXPECT_FALSE(log.BarVisible());
  log.Report(1, 1, 1, 2, 5, "");
  EXPECT_TRUE(log.BarVisible());
  log.Report(1, 1, 1, 3, 0, "");
  EXPECT_EQ(log.BarPosition(), 2);
}

TEST(ProgressLogTest, WithoutAStartPageTheGalleryButtonStaysHidden) {
  TProgressLog log(false);
  log.Report(7, 0, 0, 0, 0, "");
  log.Report(6, 0, 0, 0, 0, "");
  EXPECT_EQ(log.Lines(),
            (Lines{"Leere Ausgabeverzeichnis...fertig", "Galerie erfolgreich erstellt!"}));
  EXPECT_FALSE(log.ShowGalleryVisible());
  log.Reset();
  EXPECT_TRUE(log.Lines().empty());
  EXPECT_FALSE(log.OkEnabled());
}

TEST(ProgressLogTest, FailedImagesAndCancellingEndTheLogWithTheirOwnLine) {
  TProgressLog log(true);
  log.Report(0, 0, 0, 0, 0, "");
  log.Report(-1, 0, 0, 0, 0, "Fehler beim Verarbeiten der Bilddatei /a.jpg!");
  log.Report(6, 0, 0, 0, 0, "Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.");
  EXPECT_EQ(log.Lines().back(), "Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.");
  EXPECT_TRUE(log.ShowGalleryVisible());

  log.Reset();
  log.Report(0, 0, 0, 0, 0, "");
  log.Report(1, 1, 2, 1, 4, "");
  log.Report(8, 0, 0, 0, 0, "");
  // The step that was cut short gets no "fertig".
  EXPECT_EQ(log.Lines(), (Lines{"Initialisiere...fertig", "Erzeuge verkleinerte Bilder...",
                                "  Schritt 1 von 2", "Abgebrochen"}));
  EXPECT_TRUE(log.Cancelled());
  EXPECT_TRUE(log.OkEnabled());
  EXPECT_FALSE(log.ShowGalleryVisible());
}

}  // namespace
}  // namespace vistrel
