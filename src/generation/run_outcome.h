// The last line of a gallery run, as the progress log and the command line show it.
//
//   every page and copy written           "Galerie erfolgreich erstellt!" (step 6, no message)
//   pages written, some images failed     FailedImagesLine(): "Galerie erstellt, N Bilder
//                                         konnten nicht verarbeitet werden." (step 6's message)
//   no gallery                            NoGalleryLine(why): "Keine Galerie erstellt: " and
//                                         why, as an error report (step -1)
//   pages written, manifest not           ManifestFailedLine(): "Galerie erstellt, aber ..."
//                                         (step -1)
//   cancelled                             CancelledLine(): "Abgebrochen: 120 Bilddateien und
//                                         3 Seiten bleiben in /home/anna/web/." (step 8)
//
// The reasons a run makes no gallery are written here too, so every caller says them alike.
// Free functions without state.
#pragma once

#include <string>

namespace vistrel {

// Step 6's message when `failed` images could not be processed (empty for none).
std::string FailedImagesLine(int failed);

// Step 8's message: what a cancelled run left in `folder`, `images` copies and originals and
// `pages` pages (none at all: "Abgebrochen: In /x/ bleibt nichts davon.").
std::string CancelledLine(int images, int pages, const std::string& folder);

// The error line of a gallery whose pages are complete but whose manifest `path` could not be
// written, for `reason`: the gallery is there, but cannot be updated in place.
std::string ManifestFailedLine(const std::string& path, const std::string& reason);

// "Keine Galerie erstellt: " + `why` (a sentence with its full stop).
std::string NoGalleryLine(const std::string& why);

// Why no gallery was made:
// the list of images is empty;
std::string EmptyListReason();
// none of the `images` images could be processed;
std::string NoImageReason(int images);
// the output folder `folder` cannot be made, or takes no file, for `reason`;
std::string OutputFolderMissingReason(const std::string& folder, const std::string& reason);
std::string OutputFolderClosedReason(const std::string& folder, const std::string& reason);
// the file `path` of the gallery could not be written, for `reason`.
std::string OutputFileReason(const std::string& path, const std::string& reason);

}  // namespace vistrel
