#include "csv/csv_file.h"

#include "model/value_list.h"
#include "support/disk.h"
#include "support/text.h"
#include "support/user_messages.h"

namespace vistrel {

std::string TCSVBase::QuoteField(std::string_view text) const {
  std::string result = QuoteChar;
  for (char c : text) {
    result.push_back(c);
    if (c == QuoteChar[0]) result.push_back(c);
  }
  result += QuoteChar;
  return result;
}

bool TCSVBase::SplitLine(std::string_view line, std::vector<std::string>& fields) const {
  fields.clear();
  const char quote = QuoteChar[0];
  const char separator = Separator[0];
  std::string_view rest = line;
  while (true) {
    if (Trim(rest).empty()) return true;
    rest = Trim(rest);
    std::string field;
    if (rest.front() == quote && rest.find(quote, 1) != std::string_view::npos) {
      rest.remove_prefix(1);
      while (!Trim(rest).empty()) {
        size_t pos = rest.find(quote);
        if (pos != std::string_view::npos) {
          field.append(rest.substr(0, pos));
          rest.remove_prefix(pos + 1);
        }
        if (rest.empty() || rest.front() != quote) break;
        field.push_back(quote);  // a doubled quote inside the field
        rest.remove_prefix(1);
      }
      rest = Trim(rest);
      if (!rest.empty()) {
        if (rest.front() != separator) return false;
        rest.remove_prefix(1);
      }
    } else {
      size_t pos = rest.find(separator);
      if (pos != std::string_view::npos) {
        field.assign(rest.substr(0, pos));
        rest.remove_prefix(pos + 1);
      } else {
        field.assign(rest);
        rest = {};
      }
    }
    fields.push_back(std::move(field));
  }
}

std::string InvalidCsvMessage(const std::string& file_name) {
  return "Die CSV-Datei " + file_name + " ist ungültig!";
}

bool TCSVFile::LoadFromFile(TDisk& disk, const std::string& file_name, UserMessages& messages) {
  std::string contents;
  if (!disk.ReadFile(file_name, contents).Ok()) return false;
  return LoadFromText(contents, file_name, messages);
}

bool TCSVFile::LoadFromText(std::string_view contents, const std::string& file_name,
                            UserMessages& messages) {
  std::vector<std::string> fields;
  size_t column_count = 0;
  bool header = true;
  const bool read = ForEachTextLine(contents, [&](const std::string& line) {
    if (!SplitLine(line, fields) || (!header && fields.size() != column_count)) return false;
    if (header) {
      header = false;
      column_count = fields.size();
      for (auto& name : fields) table_.AddColumn(std::move(name));
      return true;
    }
    TVTLValueList& row = table_.AppendRow();
    for (size_t c = 0; c < column_count; ++c)
      row.SetValue(static_cast<int>(c), std::move(fields[c]));
    return true;
  });
  if (!read) messages.ShowError(InvalidCsvMessage(file_name));
  return read;
}

}  // namespace vistrel
