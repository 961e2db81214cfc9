#include "csv/record_file.h"

#include "support/file_io.h"
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

bool TCSVVTLRecordFile::SaveRecordList(const TVTLRecordList& list, const std::string& file_name,
                                       UserMessages& messages) {
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
    field(record.FileName);
    field(record.Directory);
    for (int i = 0; i < record.Details.Count(); ++i) field(record.Details.Value(i));
    contents += kLineEnd;
  }
  if (WriteFileReplacing(file_name, contents)) return true;
  messages.ShowError("Die Datei " + file_name + " konnte nicht gespeichert werden!");
  return false;
}

bool TCSVVTLRecordFile::LoadRecordList(TVTLRecordList& list, const std::string& file_name,
                                       const TMetadataReader& read_metadata, TLogger& log,
                                       UserMessages& messages) {
  std::string contents;
  if (!ReadWholeFile(file_name, contents)) return false;
  const std::vector<std::string> lines = SplitTextLines(contents);
  std::vector<std::string> header;
  if (!SplitLine(lines.empty() ? std::string_view() : std::string_view(lines[0]), header)) {
    messages.ShowError(kInvalidFile);
    return false;
  }
  if (!CheckHeader(header)) {
    messages.ShowError(kUnknownHeader);
    return false;
  }
  const size_t field_count = header.size();
  std::vector<std::string> fields;
  for (size_t line = 1; line < lines.size(); ++line) {
    if (!SplitLine(lines[line], fields) || fields.size() != field_count) {
      messages.ShowError(kInvalidFile);
      return false;
    }
    auto record = std::make_unique<TVTLRecord>(fields[1], fields[0], read_metadata, log);
    TVTLRecord& added = *record;
    list.Add(std::move(record));
    if (line == 1)
      for (size_t k = 2; k < field_count; ++k) list.AddProperty(header[k]);
    for (size_t k = 2; k < field_count; ++k)
      added.Details.SetValue(static_cast<int>(k - 2), std::move(fields[k]));
  }
  return true;
}

bool TCSVVTLRecordFile::CheckHeader(const std::vector<std::string>& fields) const {
  return fields.size() >= 2 && fields[0] == kFileNameHeader && fields[1] == kFolderHeader;
}

}  // namespace vistrel
