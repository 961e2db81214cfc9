#include "csv/skin.h"

#include <algorithm>

#include "csv/csv_file.h"
#include "model/copy_format.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/ini_file.h"
#include "support/paths.h"
#include "support/text.h"

namespace vistrel {

namespace {

bool HasColumns(const TVTL2dValueList& table, std::initializer_list<const char*> names) {
  if (table.ColumnCount() < static_cast<int>(names.size())) return false;
  int i = 0;
  for (const char* name : names)
    if (UpperCase(table.ColumnName(i++)) != name) return false;
  return true;
}

bool PatternsValid(const TVTL2dValueList& t) {
  return static_cast<const THTMLPatternValueList&>(t).IsValid();
}
bool RequiredValid(const TVTL2dValueList& t) {
  return static_cast<const TRequiredVarsValueList&>(t).IsValid();
}
bool VariantsValid(const TVTL2dValueList& t) {
  return static_cast<const TImageModificationValueList&>(t).IsValid();
}

}  // namespace

bool THTMLPatternValueList::IsValid() const {
  return HasColumns(*this, {"FILENAME", "NAME", "NEWFILENAME"});
}

bool TRequiredVarsValueList::IsValid() const {
  return HasColumns(*this, {"VARIABLENAME", "DESCRIPTION", "TYPE", "DEFAULTVALUE"});
}

bool TImageModificationValueList::IsValid() const {
  return HasColumns(*this,
                    {"NAME", "DESCRIPTION", "DEFAULTMAXWIDTH", "DEFAULTMAXHEIGHT", "NEWNAME"});
}

std::optional<std::string> TImageModificationValueList::UnknownFormat() const {
  for (int i = 0; i < Count(); ++i)
    if (!ParseImageFormat(FormatOf(Row(i)))) return FormatOf(Row(i));
  return std::nullopt;
}

void TVTLSkin::Fail(std::string message) {
  Valid = false;
  ErrorMessage = std::move(message);
}

bool TVTLSkin::LoadTable(TDisk& disk, TVTL2dValueList& table,
                         bool (*is_valid)(const TVTL2dValueList&), const std::string& file,
                         UserMessages& messages) {
  const std::string path = Directory + file;
  std::string contents;
  TCSVFile reader(table);
  if (!disk.ReadFileInside(Directory, file, contents).Ok() ||
      !reader.LoadFromText(contents, path, messages)) {
    Fail("Fehler beim Laden der CSV-Datei " + path + "!");
    return false;
  }
  // A NUL byte belongs in no cell: the system would cut a file name at it.
  bool holds_nul = false;
  for (int i = 0; i < table.Count() && !holds_nul; ++i)
    for (int j = 0; j < table.Row(i).Count() && !holds_nul; ++j)
      holds_nul = !IsSystemPath(table.Row(i).Value(j));
  if (holds_nul || !is_valid(table)) {
    Fail("Fehler beim Laden der CSV-Datei " + path + ": Struktur ist ungültig!");
    return false;
  }
  return true;
}

TVTLSkin::TVTLSkin(TDisk& disk, const std::string& directory, const std::string& file_name,
                   UserMessages& messages)
    : Directory(directory.empty() || directory.back() != '/' ? directory + "/" : directory),
      FileName(file_name) {
  const TIniFile ini(disk, Directory + FileName);
  const std::string ini_error = "Fehler beim Laden der Datei " + Directory + FileName;
  SkinName = ini.ReadString("General", "SkinName", "");
  if (SkinName.empty()) {
    Fail(ini_error + ": Datei enthält keinen Skin-Namen!");
    return;
  }
  Preview = ini.ReadString("General", "Preview", "");
  Startpage = ini.ReadString("General", "Startpage", "");
  CopyOriginalImages = UpperCase(ini.ReadString("General", "CopyOriginalImages", "No")) == "YES";
  Author = ini.ReadString("General", "Author", "");
  AuthorEMail = ini.ReadString("General", "AuthorEMail", "");
  HTMLPatternsFile = ini.ReadString("CSV", "HTMLPatterns", "");
  if (HTMLPatternsFile.empty()) {
    Fail(ini_error + ": Datei enthält keinen Eintrag HTMLPatterns im Bereich [CSV]!");
    return;
  }
  ImageModificationFile = ini.ReadString("CSV", "ImageModification", "");
  if (ImageModificationFile.empty()) {
    Fail(ini_error + ": Datei enthält keinen Eintrag ImageModification im Bereich [CSV]!");
    return;
  }
  RequiredVarsFile = ini.ReadString("CSV", "RequiredVars", "");
  if (!LoadTable(disk, HTMLPatterns, PatternsValid, HTMLPatternsFile, messages)) return;
  if (!LoadTable(disk, RequiredVars, RequiredValid, RequiredVarsFile, messages)) return;
  if (!LoadTable(disk, ImageModifications, VariantsValid, ImageModificationFile, messages)) return;
  if (const std::optional<std::string> format = ImageModifications.UnknownFormat())
    Fail("Fehler beim Laden der CSV-Datei " + Directory + ImageModificationFile +
         ": Unbekanntes Bildformat " + PrintableName(*format) + " (erlaubt sind " +
         ImageFormatChoices() + ")!");
}

std::string TVTLSkin::PreviewPath(TDisk& disk) const {
  if (Preview.empty() || !disk.IsRegularFileInside(Directory, Preview)) return {};
  return Directory + Preview;
}

void TVTLSkinList::ScanFolder(TDisk& disk, const std::string& folder_in, UserMessages& messages) {
  const std::string folder = IncludeTrailingPathDelimiter(folder_in);
  const std::vector<std::string> entries = disk.ListFolder(folder);
  // Sub-folders first; hidden ones and links are not searched.
  for (const std::string& name : entries) {
    if (name.front() == '.' || !disk.IsFolder(folder + name, /*follow_links=*/false)) continue;
    ScanFolder(disk, folder + name, messages);
  }
  // Then the skin files of the folder itself, hidden ones too.
  for (const std::string& name : entries) {
    if (UpperCase(ExtractFileExt(name)) != ".VSK" || !disk.IsRegularFile(folder + name)) continue;
    skins_.push_back(std::make_unique<TVTLSkin>(disk, folder, name, messages));
  }
}

}  // namespace vistrel
