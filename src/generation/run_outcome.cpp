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

}  // namespace vistrel
