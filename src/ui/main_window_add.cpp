// The main window's ways of adding photos to the image list: files and folders from the file
// browser, dropped from the desktop or onto the list, all through AddFiles and AddPhoto, and
// the photos' own captions taken over once read.
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "model/caption_properties.h"
#include "model/file_naming.h"
#include "ui/caption_reader.h"
#include "ui/dialogs.h"
#include "ui/file_browser_pane.h"
#include "ui/image_list_pane.h"
#include "ui/main_window.h"
#include "ui/record_list_model.h"
#include "ui/text.h"

namespace vistrel {

int TVTLMainWin::AddPhoto(const std::string& file_name, const std::string& folder_path) {
  // The metadata is read in the background (the image list's model), so that a folder of
  // thousands of photos comes in at once.
  const int index = AddImageFile(*record_list_, file_name, folder_path, nullptr, *logger_);
  // The photo's own title and description come in the background as well.
  if (index >= 0 && adopt_captions_action_->isChecked())
    caption_reader_->Request(folder_path, file_name);
  return index;
}

void TVTLMainWin::AddRecordToList(const std::string& file_name, const std::string& folder_path) {
  const int index = AddPhoto(file_name, folder_path);
  if (index < 0) return;
  image_list_->Appended(index);
  logger_->Log("| Added to Record list UI");
}

void TVTLMainWin::AddFiles(const QStringList& paths) {
  const int first = record_list_->Count();
  QStringList no_photos;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      AddFolder(info.absoluteFilePath());
      continue;
    }
    const std::string name = PathFromQString(info.fileName());
    const std::string folder = IncludeTrailingPathDelimiter(PathFromQString(info.absolutePath()));
    // A file listed already is left out silently; one that is no photo is named.
    if (AddPhoto(name, folder) < 0 && !record_list_->Contains(folder, name))
      no_photos << QDir::toNativeSeparators(info.absoluteFilePath());
  }
  if (record_list_->Count() > first) image_list_->Appended(first, record_list_->Count() - 1);
  if (!no_photos.isEmpty()) ReportNoPhotos(no_photos);
}

void TVTLMainWin::AddFolder(const QString& folder) {
  // The photos directly in the folder, in the order of their names; whatever else it holds
  // (sidecars, notes, sub-folders) stays out without a word.
  QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Readable);
  SortByName(names);
  const std::string folder_path = IncludeTrailingPathDelimiter(PathFromQString(folder));
  for (const QString& name : names) (void)AddPhoto(PathFromQString(name), folder_path);
}

void TVTLMainWin::DropPaths(const QStringList& paths) {
  QStringList clipped;
  for (const QString& path : paths) clipped << path.left(5000);
  AddFiles(clipped);
}

void TVTLMainWin::ReportNoPhotos(const QStringList& files) {
  const QString head = files.size() == 1
                           ? "Diese Datei ist kein Foto und wurde nicht hinzugefügt:"
                           : QString::number(files.size()) +
                                 " Dateien sind keine Fotos und wurden nicht hinzugefügt:";
  dialogs_.ShowWarning(this, head + "\n" + ShortenedList(files, files.size()).join("\n"));
}

void TVTLMainWin::FilesDropped(const QStringList& paths, const QObject* source) {
  if (file_browser_->IsFileView(source)) {
    logger_->Log("Entering DragDrop.");
    logger_->Log("| Source is TShellListView.");
    file_browser_->AddSelectedFiles();
  } else {
    DropPaths(paths);
  }
}

void TVTLMainWin::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TVTLMainWin::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  event->acceptProposedAction();
  FilesDropped(paths, event->source());
}

int TVTLMainWin::PendingCaptions() const { return caption_reader_->Pending(); }

void TVTLMainWin::AdoptCaptions(std::vector<TPhotoCaptions>& batch) {
  bool changed = false;
  bool shown_changed = false;
  const std::vector<TVTLRecord*> selected = image_list_->SelectedRecords();
  for (const TPhotoCaptions& photo : batch) {
    TVTLRecord* record = record_list_->Find(photo.directory, photo.file_name);
    if (!record) continue;  // it left the list meanwhile
    const TCaptionAdoption adoption = AdoptPhotoCaptions(*record_list_, *record, *photo.captions);
    if (!adoption.record_changed && !adoption.list_changed) continue;
    changed = true;
    shown_changed = shown_changed || adoption.list_changed ||
                    std::find(selected.begin(), selected.end(), record) != selected.end();
  }
  if (!changed) return;
  SetModified();
  if (shown_changed) ShowSelectedRecords();
}

}  // namespace vistrel
