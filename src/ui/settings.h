// What the desktop program remembers from one start to the next: where the user keeps image
// lists and which were opened last, the main window's size, place and splitters, how the file
// list shows its entries, the size of the create-gallery dialog, and the settings of the
// variant cache.
//
// The values live in the application's QSettings (on Linux ~/.config/Vistrel/Vistrel.conf); a
// missing or unreadable value gives the default. Call on the user-interface thread, after the
// QApplication exists.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "csv/gallery_settings_file.h"
#include "generation/run_request.h"

namespace vistrel {

// The folder the open and save dialogs of image lists start in: the folder of the list last
// opened or saved when it still exists, else the user's pictures folder when there is one,
// else the home folder.
QString ImageListFolder();
void SetImageListFolder(const QString& folder);

// The image lists opened or saved last, newest first: at most kRecentListCount, each once.
inline constexpr int kRecentListCount = 5;
QStringList RecentLists();
// Puts `file` (a full path) first among the recent lists.
void AddRecentList(const QString& file);

// The main window's geometry and the state of its splitters, as Qt saves them; empty when none
// was kept.
QByteArray MainWindowGeometry();
void SetMainWindowGeometry(const QByteArray& geometry);
QList<QByteArray> MainWindowSplitters();
void SetMainWindowSplitters(const QList<QByteArray>& states);

// The folder the main window opens at: the one the user looked at last when it still exists,
// else the pictures folder when there is one, else the home folder.
QString FileListFolder();
void SetFileListFolder(const QString& folder);

// Whether the file list shows thumbnails (icon mode) instead of details.
bool FileListShowsThumbnails();
void SetFileListShowsThumbnails(bool thumbnails);

// The size the user gave the create-gallery dialog; an invalid size when none was kept.
QSize CreateGalleryDialogSize();
void SetCreateGalleryDialogSize(const QSize& size);

// The settings of the gallery made last, from any list; nullopt when none was made yet. A list
// without settings of its own starts from them.
std::optional<TGallerySettings> LastGallery();
void SetLastGallery(const TGallerySettings& settings);

// Whether photos added to the image list give it their own title and description
// ("Titel und Beschreibung aus den Fotos übernehmen", caption_properties.h); on unless the user
// turned it off.
bool AdoptsPhotoCaptions();
void SetAdoptsPhotoCaptions(bool adopt);

// The size of the variant cache in megabytes (1,000,000 bytes).
inline constexpr int kDefaultCacheSizeMb = static_cast<int>(kDefaultCacheSizeLimit / 1'000'000);
inline constexpr int kMinCacheSizeMb = static_cast<int>(kMinCacheSizeLimit / 1'000'000);
inline constexpr int kMaxCacheSizeMb = static_cast<int>(kMaxCacheSizeLimit / 1'000'000);
int CacheSizeMb();
void SetCacheSizeMb(int megabytes);
// `megabytes` in bytes.
std::uint64_t CacheSizeBytes(int megabytes);

}  // namespace vistrel
