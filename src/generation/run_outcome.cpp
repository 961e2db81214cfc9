#include "generation/run_outcome.h"

#include "support/output_file.h"

namespace vistrel {

std::string FailedImagesLine(int failed) {
  if (failed <= 0) return {};
  if (failed == 1) return "Galerie erstellt, 1 Bild konnte nicht verarbeitet werden.";
  return "Galerie erstellt, " + std::to_string(failed) +
         " Bilder konnten nicht verarbeitet werden.";
}

std::string NoGalleryLine(const std::string& why) { return "Keine Galerie erstellt: " + why; }

std::string EmptyListReason() { return "Die Bildliste ist leer."; }

std::string NoImageReason(int images) {
  if (images == 1) return "Das Bild konnte nicht verarbeitet werden.";
  return "Keines der " + std::to_string(images) + " Bilder konnte verarbeitet werden.";
}

std::string OutputFolderMissingReason(const std::string& folder, const std::string& reason) {
  return "Das Ausgabeverzeichnis " + folder + " kann nicht angelegt werden (" + reason + ").";
}

std::string OutputFolderClosedReason(const std::string& folder, const std::string& reason) {
  return "In das Ausgabeverzeichnis " + folder + " kann nicht geschrieben werden (" + reason + ").";
}

std::string OutputFileReason(const std::string& path, const std::string& reason) {
  return OutputFailureText(path, reason) + ".";
}

std::string ManifestFailedLine(const std::string& path, const std::string& reason) {
  return "Galerie erstellt, aber ihre Inhaltsliste " + path + " konnte nicht geschrieben werden (" +
         reason + "); an Ort und Stelle aktualisieren lässt sie sich so nicht.";
}

std::string CancelledLine(int images, int pages, const std::string& folder) {
  if (images == 0 && pages == 0) return "Abgebrochen: In " + folder + " bleibt nichts davon.";
  auto counted = [](int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
  };
  std::string left;
  if (images > 0) left = counted(images, "Bilddatei", "Bilddateien");
  if (images > 0 && pages > 0) left += " und ";
  if (pages > 0) left += counted(pages, "Seite", "Seiten");
  return "Abgebrochen: " + left + (images + pages == 1 ? " bleibt in " : " bleiben in ") + folder +
         ".";
}

}  // namespace vistrel
