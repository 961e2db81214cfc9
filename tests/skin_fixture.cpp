#include "skin_fixture.h"

#include <algorithm>

#include "test_support.h"

namespace vistrel::testing {

std::string CsvTable(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
  auto line = [](const std::vector<std::string>& cells) {
    std::string text;
    for (const auto& cell : cells) {
      text += '"';
      for (char c : cell) text += c == '"' ? std::string("\"\"") : std::string(1, c);
      text += "\";";
    }
    return text + "\r\n";
  };
  std::string text = line(header);
  for (const auto& row : rows) text += line(row);
  return text;
}

std::string WriteSkin(const std::string& folder_in, const TSkinFixture& fixture) {
  const std::string folder = folder_in.back() == '/' ? folder_in : folder_in + "/";
  WriteFile(folder + fixture.file,
            "[General]\r\nSkinName=" + fixture.name + "\r\nStartpage=" + fixture.start_page +
                "\r\nAuthor=Tester\r\n[CSV]\r\nHTMLPatterns=patterns.csv\r\n"
                "ImageModification=variants.csv\r\nRequiredVars=values.csv\r\n");
  WriteFile(folder + "patterns.csv",
            CsvTable({"FILENAME", "NAME", "NEWFILENAME"}, fixture.templates));
  WriteFile(folder + "values.csv",
            CsvTable({"VARIABLENAME", "DESCRIPTION", "TYPE", "DEFAULTVALUE"}, fixture.values));
  std::vector<std::string> variant_columns = {"NAME", "DESCRIPTION", "DEFAULTMAXWIDTH",
                                              "DEFAULTMAXHEIGHT", "NEWNAME"};
  if (std::any_of(fixture.variants.begin(), fixture.variants.end(),
                  [](const std::vector<std::string>& row) { return row.size() > 5; }))
    variant_columns.push_back("FORMAT");
  WriteFile(folder + "variants.csv", CsvTable(variant_columns, fixture.variants));
  for (const auto& [name, contents] : fixture.template_files) WriteFile(folder + name, contents);
  for (const auto& [name, contents] : fixture.static_files)
    WriteFile(folder + "files/" + name, contents);
  return folder + fixture.file;
}

}  // namespace vistrel::testing
