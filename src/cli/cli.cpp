#include "cli/cli.h"

#include <ostream>

#include "imaging/metadata.h"
#include "model/value_list.h"

namespace vistrel {

namespace {

constexpr int kUsageError = 2;

// Writes a metadata value on one line: backslash, CR, LF, tab and NUL as \\ \r \n \t \0.
std::string EscapeValue(const std::string& value) {
  std::string result;
  result.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\\': result += "\\\\"; break;
      case '\r': result += "\\r"; break;
      case '\n': result += "\\n"; break;
      case '\t': result += "\\t"; break;
      case '\0': result += "\\0"; break;
      default: result.push_back(c);
    }
  }
  return result;
}

int RunMetadata(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  if (files.empty()) {
    err << CliUsage();
    return kUsageError;
  }
  for (const std::string& file : files) {
    if (files.size() > 1) out << "# " << file << "\n";
    TVTLValueList metadata;
    ReadImageMetadata(file, metadata);
    for (int i = 0; i < metadata.Count(); ++i)
      out << metadata.Name(i) << "=" << EscapeValue(metadata.Value(i)) << "\n";
  }
  return 0;
}

}  // namespace

std::string CliUsage() {
  return "Aufruf:\n"
         "  vistrel-cli generate --skin SKINDATEI --out VERZEICHNIS [Optionen] [BILD...]\n"
         "      --list DATEI          Bilderliste laden (ihre Bilder kommen zuerst)\n"
         "      --set NAME=WERT       Wert für den Skin setzen\n"
         "      --size VARIANTE=BxH   maximale Breite und Höhe einer Bildvariante\n"
         "      --quality VARIANTE=Q  JPG-Qualität einer Bildvariante (Vorgabe 80)\n"
         "      --copy-originals      Originale der Bilddateien kopieren\n"
         "      --empty-output        Verzeichnis vor Galerieerzeugung leeren\n"
         "      --reports             jede Fortschrittsmeldung als Zeile ausgeben\n"
         "  vistrel-cli metadata DATEI...\n"
         "  vistrel-cli skins VERZEICHNIS\n";
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << CliUsage();
    return kUsageError;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "metadata") return RunMetadata(rest, out, err);
  err << "Unbekannter Befehl: " << command << "\n" << CliUsage();
  return kUsageError;
}

}  // namespace vistrel
