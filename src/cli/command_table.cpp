#include "cli/command_table.h"

#include "model/file_naming.h"
#include "model/skin.h"
#include "support/file_io.h"
#include "support/user_messages.h"
#include "support/version.h"

namespace vistrel {

namespace {

const TCompletion kSkinFiles{TCompletion::TKind::kFiles, "*.vsk", {}};
const TCompletion kListFiles{TCompletion::TKind::kFiles, "*.csv", {}};
const TCompletion kAnyFiles{TCompletion::TKind::kFiles, "", {}};
const TCompletion kFolders{TCompletion::TKind::kFolders, "", {}};

// `column` of every row of a table of the skin named by --skin, each followed by "=";
// nothing when no skin is named or it does not load.
using TSkinTable = const TVTL2dValueList& (*)(const TVTLSkin&);

std::vector<std::string> SkinNames(const TParsedArguments& so_far, TSkinTable table, int column) {
  std::string path = so_far.Last("--skin").value_or("");
  if (path.empty()) return {};
  // The shell hands the word over as typed, before it expands "~".
  if (path.rfind("~/", 0) == 0) path = HomeFromEnvironment() + path.substr(1);
  RecordedMessages ignored;
  TVTLSkin skin(ExtractFilePath(path), ExtractFileName(path), ignored);
  if (!skin.Valid) return {};
  std::vector<std::string> names;
  const TVTL2dValueList& rows = table(skin);
  for (int i = 0; i < rows.Count(); ++i) names.push_back(rows.Row(i).Value(column) + "=");
  return names;
}

TCompletion SkinNamesOf(TSkinTable table, int column) {
  return {TCompletion::TKind::kWords, "", [table, column](const TParsedArguments& so_far) {
            return SkinNames(so_far, table, column);
          }};
}

TProgramSpec MakeCliProgram() {
  const TCompletion values =
      SkinNamesOf([](const TVTLSkin& skin) -> const TVTL2dValueList& { return skin.RequiredVars; },
                  TRequiredVarsValueList::kVariableName);
  const TCompletion variants = SkinNamesOf(
      [](const TVTLSkin& skin) -> const TVTL2dValueList& { return skin.ImageModifications; },
      TImageModificationValueList::kName);
  const TCompletion cache_sizes{TCompletion::TKind::kWords, "", [](const TParsedArguments&) {
                                  return std::vector<std::string>{"500M", "1G", "2G", "5G"};
                                }};

  TProgramSpec program;
  program.name = "vistrel-cli";
  program.version = kVersionText;
  program.summary = "Statische HTML-Galerien aus Fotos erzeugen, ohne Fenster.";
  program.description =
      "Rückgabewert: 0 bei Erfolg, 1 wenn ein Lauf fehlschlug oder einen Fehler meldete,\n"
      "2 bei falschem Aufruf oder einem Skin, der nicht geladen werden kann, 130 nach\n"
      "Abbruch mit Strg+C (SIGINT) oder SIGTERM. Mehr in „man vistrel-cli“.\n";

  TCommandSpec generate;
  generate.name = "generate";
  generate.operands = "[BILD...]";
  generate.summary = "Eine Galerie aus Bildern mit einem Skin erzeugen.";
  generate.options = {
      {"--skin", "", "SKINDATEI", "die Skindatei (.vsk) der Galerie", true, kSkinFiles},
      {"--out", "", "VERZEICHNIS", "das Ausgabeverzeichnis der Galerie", true, kFolders},
      {"--list", "", "DATEI", "Bilderliste laden (ihre Bilder kommen zuerst)", false, kListFiles},
      {"--set", "", "NAME=WERT", "Wert für den Skin setzen", false, values},
      {"--size", "", "VARIANTE=BxH", "maximale Breite und Höhe einer Bildvariante", false,
       variants},
      {"--quality", "", "VARIANTE=Q", "JPG-Qualität einer Bildvariante (Vorgabe 80)", false,
       variants},
      {"--copy-originals", "", "", "Originale der Bilddateien kopieren", false, {}},
      {"--empty-output", "", "", "Verzeichnis vor Galerieerzeugung leeren", false, {}},
      {"--reports", "", "", "jede Fortschrittsmeldung als Zeile ausgeben", false, {}},
      {"--no-cache",
       "",
       "",
       "den Zwischenspeicher für verkleinerte Bilder nicht nutzen",
       false,
       {}},
      {"--cache-size", "", "GRÖSSE", "dessen Grenze in MB, oder mit G in GB (Vorgabe 2G)", false,
       cache_sizes},
  };
  generate.operand_completion = kAnyFiles;
  generate.description =
      "BILD ist eine JPG-Datei (doppelte und andere Dateien werden übergangen) oder ein\n"
      "Verzeichnis, dessen JPG-Dateien nach Namen geordnet hinzukommen. Ohne --reports steht\n"
      "am Ende das Protokoll des Laufs auf der Standardausgabe, Fehler auf der\n"
      "Standardfehlerausgabe.\n"
      "\n"
      "Rückgabewert: 0 Galerie ohne Fehlermeldung erstellt, 1 Lauf fehlgeschlagen oder Fehler\n"
      "gemeldet, 2 falscher Aufruf oder Skin nicht ladbar, 130 abgebrochen (SIGINT, SIGTERM).\n";

  TCommandSpec metadata;
  metadata.name = "metadata";
  metadata.operands = "DATEI...";
  metadata.summary = "Die Metadaten von Bilddateien ausgeben, wie Vorlagen sie lesen.";
  metadata.operand_completion = kAnyFiles;
  metadata.description =
      "Je Eintrag eine Zeile NAME=WERT; \\, CR, LF, Tabulator und NUL im Wert als \\\\ \\r \\n\n"
      "\\t \\0. Bei mehreren Dateien beginnt jeder Block mit „# “ und dem Pfad.\n";

  TCommandSpec skins;
  skins.name = "skins";
  skins.operands = "VERZEICHNIS";
  skins.summary = "Die Skins eines Verzeichnisses auflisten.";
  skins.operand_completion = kFolders;
  skins.description =
      "Je Skin eine Zeile: „ok“ oder „invalid“, der Name des Skins, der Pfad der Skindatei\n"
      "und die Fehlermeldung, durch Tabulatoren getrennt.\n";

  program.commands = {generate, metadata, skins};
  return program;
}

}  // namespace

const TProgramSpec& CliProgram() {
  static const TProgramSpec program = MakeCliProgram();
  return program;
}

}  // namespace vistrel
