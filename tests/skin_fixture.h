// Skins written by the tests: a skin file, its three tables, templates and a "files" folder in
// a folder of the test.
#pragma once

#include <string>
#include <vector>

namespace vistrel::testing {

struct TSkinFixture {
  std::string name = "Testskin";
  std::string file = "test.vsk";
  std::string start_page = "index";
  // Rows of the tables, each row its cells (quoted and joined by the writer). A variant row
  // of six cells gives the variant table a FORMAT column.
  std::vector<std::vector<std::string>> templates = {{"index.tpl", "index", "index.html"}};
  std::vector<std::vector<std::string>> values = {};
  std::vector<std::vector<std::string>> variants = {
      {"THUMB", "Vorschau", "160", "160", "th_%old%"}};
  // Template files: name and contents.
  std::vector<std::pair<std::string, std::string>> template_files = {
      {"index.tpl", "[VTL] NEWSECTION NUMREPEAT:0\n<img src=\"%THUMB%\">\n[VTL] ENDSECTION"}};
  // Files of the "files" folder (relative name and contents); none means no folder.
  std::vector<std::pair<std::string, std::string>> static_files = {};
};

// Writes the skin into `folder` (created) and returns the full path of its skin file.
std::string WriteSkin(const std::string& folder, const TSkinFixture& fixture = {});

// A table file in the CSV dialect: a header and the rows, every field quoted, CR LF lines.
std::string CsvTable(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows);

}  // namespace vistrel::testing
