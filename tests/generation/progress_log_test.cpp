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

  TProgressLog during(true);
  during.Report(0, 0, 0, 0, 0, "");
  during.Report(2, 1, 1, 0, 0, "");
  during.Report(-1, 0, 0, 0, 0, "Fehler!");
  during.Report(6, 0, 0, 0, 0, "");
  EXPECT_EQ(
      during.Lines(),
      (Lines{"Initialisiere...fertig", "Initialisiere Parser und erzeuge Ausgabedateien...fertig",
             "  Schritt 1 von 1", "Fehler!fertig", "Galerie erfolgreich erstellt!"}));
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
