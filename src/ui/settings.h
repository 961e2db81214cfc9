// What the desktop program remembers from one start to the next: where the user keeps image
// lists, how the file list shows its entries, the size of the create-gallery dialog, and the
// settings of the variant cache.
//
// The values live in the application's QSettings (on Linux ~/.config/Vistrel/Vistrel.conf); a
// missing or unreadable value gives the default. Call on the user-interface thread, after the
// QApplication exists.
#pragma once

#include <QSize>
#include <QString>
#include <cstdint>

#include "generation/run_request.h"

namespace vistrel {

// The folder the open and save dialogs of image lists start in: the folder of the list last
// opened or saved when it still exists, else the user's pictures folder when there is one,
// else the home folder.
QString ImageListFolder();
void SetImageListFolder(const QString& folder);

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

// The size of the variant cache in megabytes (1,000,000 bytes).
inline constexpr int kDefaultCacheSizeMb = static_cast<int>(kDefaultCacheSizeLimit / 1'000'000);
inline constexpr int kMinCacheSizeMb = static_cast<int>(kMinCacheSizeLimit / 1'000'000);
inline constexpr int kMaxCacheSizeMb = static_cast<int>(kMaxCacheSizeLimit / 1'000'000);
int CacheSizeMb();
void SetCacheSizeMb(int megabytes);
// `megabytes` in bytes.
std::uint64_t CacheSizeBytes(int megabytes);

}  // namespace vistrel
