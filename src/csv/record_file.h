// The image list file: the images of the list with their properties, one line per image.
//
// The header is "Dateiname";"Pfad"; followed by the property names of the first image; each
// image line holds its file name, its folder and its property values. Every field is quoted and
// followed by ";", every line ends with CR LF. Metadata is not stored: loading creates the
// records anew, which reads each image's metadata again.
//
// Saving writes the whole file beside the target and renames it over the target only when it is
// complete, so a failed save keeps the old file. Messages go through the caller's UserMessages.
// The file is read and written through the disk the caller gives. An object holds nothing but
// the dialect; one per save or load, on one thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "csv/csv_file.h"
#include "model/record.h"

namespace vistrel {

class TDisk;

class TCSVVTLRecordFile : public TCSVBase {
 public:
  // Writes `list` to `file_name`. On failure shows
  // "Die Datei <file_name> konnte nicht gespeichert werden!" and returns false; an existing
  // file of that name is then unchanged.
  [[nodiscard]] bool SaveRecordList(TDisk& disk, const TVTLRecordList& list,
                                    const std::string& file_name, UserMessages& messages);
  // Appends the images of `file_name` to `list`, each record created with `read_metadata` and
  // `log`. True when the whole file was read; a malformed file or unknown header shows its
  // message and gives false, with the images read before the bad line kept in the list. A file
  // that cannot be read gives false without a message.
  [[nodiscard]] bool LoadRecordList(TDisk& disk, TVTLRecordList& list, const std::string& file_name,
                                    const TMetadataReader& read_metadata, TLogger& log,
                                    UserMessages& messages);
  // The same for contents already read.
  [[nodiscard]] bool LoadRecordListFromText(TVTLRecordList& list, std::string_view contents,
                                            const TMetadataReader& read_metadata, TLogger& log,
                                            UserMessages& messages);
  // True when there are at least two fields and they are exactly "Dateiname" and "Pfad".
  bool CheckHeader(const std::vector<std::string>& fields) const;
};

}  // namespace vistrel
