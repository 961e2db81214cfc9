#include "csv/record_file.h"

#include "support/disk.h"
#include "support/text.h"
#include "support/user_messages.h"

namespace vistrel {

namespace {

constexpr char kFileNameHeader[] = "Dateiname";
constexpr char kFolderHeader[] = "Pfad";
constexpr char kLineEnd[] = "\r\n";
constexpr char kInvalidFile[] = "Die angegebene CSV-Datei ist ungültig!";
constexpr char kUnknownHeader[] =
    "Die angegebene CSV-Datei enthält keine dem Programm bekannten Überschriften!";

}  // namespace

bool TCSVVTLRecordFile::SaveRecordList(TDisk& disk, const TVTLRecordList& list,
                                       const std::string& file_name, UserMessages& messages) {
  std::string contents;
  auto field = [&](const std::string& text) { contents += QuoteField(text) + Separator; };
  field(kFileNameHeader);
  field(kFolderHeader);
  if (list.Count() > 0) {
    const TVTLValueList& first = list.Item(0).Details;
    for (int i = 0; i < first.Count(); ++i) field(first.Name(i));
  }
  contents += kLineEnd;
  for (int r = 0; r < list.Count(); ++r) {
    const TVTLRecord& record = list.Item(r);
    field(record.FileName());
    field(record.Directory());
    for (int i = 0; i < record.Details.Count(); ++i) field(record.Details.Value(i));
    contents += kLineEnd;
  }
  if (disk.WriteFileReplacing(file_name, contents).Ok()) return true;
  messages.ShowError("Die Datei " + file_name + " konnte nicht gespeichert werden!");
  return false;
}

bool TCSVVTLRecordFile::LoadRecordList(TDisk& disk, TVTLRecordList& list,
                                       const std::string& file_name,
                                       const TMetadataReader& read_metadata, TLogger& log,
                                       UserMessages& messages) {
  std::string contents;
  if (!disk.ReadFile(file_name, contents).Ok()) return false;
  return LoadRecordListFromText(list, contents, read_metadata, log, messages);
}

bool TCSVVTLRecordFile::LoadRecordListFromText(TVTLRecordList& list, std::string_view contents,
                                               const TMetadataReader& read_metadata, TLogger& log,
                                               UserMessages& messages) {
  // Lines are taken one at a time: a large list costs the file and its records, no more.
  std::vector<std::string> header;
  std::vector<std::string> fields;
  bool first = true;
  bool first_image = true;
  size_t field_count = 0;
  const bool read = ForEachTextLine(contents, [&](const std::string& line) {
    if (first) {
      first = false;
      if (!SplitLine(line, header)) {
        messages.ShowError(kInvalidFile);
        return false;
      }
      if (!CheckHeader(header)) {
        messages.ShowError(kUnknownHeader);
        return false;
      }
      field_count = header.size();
      return true;
    }
    if (!SplitLine(line, fields) || fields.size() != field_count) {
      messages.ShowError(kInvalidFile);
      return false;
    }
    auto record = std::make_unique<TVTLRecord>(fields[1], fields[0], read_metadata, log);
    TVTLRecord& added = *record;
    list.Add(std::move(record));
    if (first_image)
      for (size_t k = 2; k < field_count; ++k) list.AddProperty(header[k]);
    first_image = false;
    for (size_t k = 2; k < field_count; ++k)
      added.Details.SetValue(static_cast<int>(k - 2), std::move(fields[k]));
    return true;
  });
  if (!read) return false;
  if (first) {  // an empty file: its empty first line is no known header
    messages.ShowError(kUnknownHeader);
    return false;
  }
  return true;
}

bool TCSVVTLRecordFile::CheckHeader(const std::vector<std::string>& fields) const {
  return fields.size() >= 2 && fields[0] == kFileNameHeader && fields[1] == kFolderHeader;
}

}  // namespace vistrel
