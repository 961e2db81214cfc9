#include "cli/command_table.h"

#include "csv/skin.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/paths.h"
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
  TVTLSkin skin(SystemDisk(), ExtractFilePath(path), ExtractFileName(path), ignored);
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

// A flag: an option without a value.
TOptionEntry Flag(const char* name, const char* help) {
  return TOptionEntry{.name = name, .help = help};
}

const TCompletion kCacheSizes{TCompletion::TKind::kWords, "", [](const TParsedArguments&) {
                                return std::vector<std::string>{"500M", "1G", "2G", "5G"};
                              }};

// The table of "generate"; `values` and `variants` offer the names of the skin given so far.
TCommandEntry GenerateCommand(const TCompletion& values, const TCompletion& variants) {
  return {
      .name = "generate",
      .operands = "[BILD...]",
      .summary = "Eine Galerie aus Bildern mit einem Skin erzeugen.",
      .description =
          "BILD ist ein Foto (JPEG, HEIC/HEIF, AVIF, PNG, TIFF, WebP oder JPEG XL, erkannt am\n"
          "Inhalt; doppelte und andere Dateien werden übergangen) oder ein Verzeichnis, dessen\n"
          "Fotos nach Namen geordnet hinzukommen. Ohne --reports\n"
          "steht am Ende das Protokoll des Laufs auf der Standardausgabe, Fehler auf der\n"
          "Standardfehlerausgabe.\n"
          "\n"
          "Rückgabewert: 0 Galerie ohne Fehlermeldung erstellt, 1 Lauf fehlgeschlagen oder\n"
          "Fehler gemeldet, 2 falscher Aufruf oder Skin nicht ladbar, 130 abgebrochen (SIGINT,\n"
          "SIGTERM).\n",
      .options =
          {
              {.name = "--skin",
               .value = "SKINDATEI",
               .help = "die Skindatei (.vsk) der Galerie",
               .required = true,
               .completion = kSkinFiles},
              {.name = "--out",
               .value = "VERZEICHNIS",
               .help = "das Ausgabeverzeichnis der Galerie",
               .required = true,
               .completion = kFolders},
              {.name = "--list",
               .value = "DATEI",
               .help = "Bilderliste laden (ihre Bilder kommen zuerst)",
               .completion = kListFiles},
              {.name = "--set",
               .value = "NAME=WERT",
               .help = "Wert für den Skin setzen",
               .completion = values},
              {.name = "--size",
               .value = "VARIANTE=BxH",
               .help = "maximale Breite und Höhe einer Bildvariante",
               .completion = variants},
              {.name = "--quality",
               .value = "VARIANTE=Q",
               .help = "JPG-Qualität einer Bildvariante (Vorgabe 80)",
               .completion = variants},
              {.name = "--format",
               .value = "VARIANTE=FORMAT",
               .help = "Bildformat einer Bildvariante: jpeg, webp oder avif (Vorgabe des Skins)",
               .completion = variants},
              Flag("--copy-originals", "Originale der Bilddateien kopieren"),
              Flag("--no-location",
                   "Ortsangaben weglassen: keine GPS-Position, kein Ort, keine Karte; "
                   "kopierte Originale ohne ihre Ortsangaben"),
              Flag("--empty-output", "Verzeichnis vor Galerieerzeugung leeren"),
              Flag("--update", "die Galerie im Ausgabeverzeichnis an Ort und Stelle ersetzen"),
              Flag("--reports", "jede Fortschrittsmeldung als Zeile ausgeben"),
              Flag("--no-cache", "den Zwischenspeicher für verkleinerte Bilder nicht nutzen"),
              {.name = "--cache-size",
               .value = "GRÖSSE",
               .help = "dessen Grenze in MB, oder mit G in GB (Vorgabe 2G)",
               .completion = kCacheSizes},
          },
      .operand_completion = kAnyFiles,
  };
}

TCommandEntry MetadataCommand() {
  return {
      .name = "metadata",
      .operands = "DATEI...",
      .summary = "Die Metadaten von Bilddateien ausgeben, wie Vorlagen sie lesen.",
      .description =
          "Je Eintrag eine Zeile NAME=WERT; \\, CR, LF, Tabulator und NUL im Wert als \\\\ \\r\n"
          "\\n \\t \\0. Nach den Metadaten folgen die Bildtexte des Fotos als META:NAME=WERT\n"
          "(Titel, Beschreibung, Stichwörter, ... aus Sidecar, XMP, IPTC und EXIF).\n"
          "Bei mehreren Dateien beginnt jeder Block mit „# “ und dem Pfad.\n",
      .operand_completion = kAnyFiles,
  };
}

TCommandEntry SkinsCommand() {
  return {
      .name = "skins",
      .operands = "VERZEICHNIS",
      .summary = "Die Skins eines Verzeichnisses auflisten.",
      .description =
          "Je Skin eine Zeile: „ok“ oder „invalid“, der Name des Skins, der Pfad der Skindatei\n"
          "und die Fehlermeldung, durch Tabulatoren getrennt.\n",
      .operand_completion = kFolders,
  };
}

TProgramTable MakeCliProgram() {
  const TCompletion values =
      SkinNamesOf([](const TVTLSkin& skin) -> const TVTL2dValueList& { return skin.RequiredVars; },
                  TRequiredVarsValueList::kVariableName);
  const TCompletion variants = SkinNamesOf(
      [](const TVTLSkin& skin) -> const TVTL2dValueList& { return skin.ImageModifications; },
      TImageModificationValueList::kName);
  TProgramTable program;
  program.name = "vistrel-cli";
  program.version = kVersionText;
  program.summary = "Statische HTML-Galerien aus Fotos erzeugen, ohne Fenster.";
  program.description =
      "Rückgabewert: 0 bei Erfolg, 1 wenn ein Lauf fehlschlug oder einen Fehler meldete,\n"
      "2 bei falschem Aufruf oder einem Skin, der nicht geladen werden kann, 130 nach\n"
      "Abbruch mit Strg+C (SIGINT) oder SIGTERM. Mehr in „man vistrel-cli“.\n";
  program.commands = {GenerateCommand(values, variants), MetadataCommand(), SkinsCommand()};
  return program;
}

}  // namespace

const TProgramTable& CliProgram() {
  static const TProgramTable program = MakeCliProgram();
  return program;
}

}  // namespace vistrel
