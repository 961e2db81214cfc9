// The semicolon-separated dialect of every table file: the skin's three tables and the saved
// image list.
//
// A field is written quoted ("..." with every quote doubled) and followed by ";", the last field
// of a line too. Reading splits a line into fields (SplitLine) and is lenient in the ways the
// dialect allows: unquoted fields, blanks around fields, a quote without a partner taken as an
// ordinary character. Text is bytes, read and written unchanged. Lines end at LF or CR LF, a
// lone CR is dropped and a byte 0x1A ends the input.
//
// TCSVFile reads a file whose first line is the header into a table that the caller owns. A
// malformed file is reported through the caller's UserMessages. Objects are cheap and belong to
// one thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

class TDisk;
class TVTL2dValueList;
class UserMessages;

class TCSVBase {
 public:
  TCSVBase() = default;

  // QuoteChar + text with every QuoteChar doubled + QuoteChar; the empty text gives "".
  std::string QuoteField(std::string_view text) const;
  // Clears `fields` and fills it with the fields of `line`; false when the line is malformed
  // (text between a closing quote and the next separator). A blank line has no fields.
  bool SplitLine(std::string_view line, std::vector<std::string>& fields) const;

  const std::string Separator = ";";
  const std::string QuoteChar = "\"";
};

class TCSVFile : public TCSVBase {
 public:
  // `table` belongs to the caller and must outlive this object.
  explicit TCSVFile(TVTL2dValueList& table) : table_(table) {}

  // Reads a file with a header line into the table: one column per header field, one row per
  // further line. A file that cannot be read gives false without a message. A malformed line,
  // or a line whose number of fields differs from the header's, is reported as
  // "Die CSV-Datei <file_name> ist ungültig!" and gives false; rows read before it stay.
  [[nodiscard]] bool LoadFromFile(TDisk& disk, const std::string& file_name,
                                  UserMessages& messages);
  // The same for contents already read; `file_name` is used in the message only.
  [[nodiscard]] bool LoadFromText(std::string_view contents, const std::string& file_name,
                                  UserMessages& messages);

 private:
  TVTL2dValueList& table_;
};

// The message for a malformed table file.
std::string InvalidCsvMessage(const std::string& file_name);

}  // namespace vistrel
