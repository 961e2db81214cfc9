// Skins: what a gallery looks like and what it asks of the user.
//
// A skin is a folder with a skin file (INI, extension ".vsk") that names three tables (CSV with
// a header line): the HTML templates (THTMLPatternValueList), the values the user fills in
// (TRequiredVarsValueList) and the image variants (TImageModificationValueList). Loading a skin
// never throws for bad content: it stops at the first error and records it in Valid and
// ErrorMessage; what was read before the error stays. A skin reads only regular files inside its
// own folder.
//
// A skin lives with the table files it is read from: it stands on the value lists of model/ and
// the CSV reader beside it, and the run stands on it.
//
// TVTLSkinList is the catalogue of skins found below a folder: sub-folders first (depth first,
// hidden ones skipped), then the skin files of the folder itself, each in byte order of the
// names. It owns its skins. Objects belong to one thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/value_list.h"

namespace vistrel {

class TDisk;
class UserMessages;

// HTML templates: FILENAME, NAME, NEWFILENAME.
class THTMLPatternValueList : public TVTL2dValueList {
 public:
  enum Column { kFileName = 0, kName = 1, kNewFileName = 2 };
  bool IsValid() const;
};

// Values the user fills in: VARIABLENAME, DESCRIPTION, TYPE, DEFAULTVALUE.
class TRequiredVarsValueList : public TVTL2dValueList {
 public:
  enum Column { kVariableName = 0, kDescription = 1, kType = 2, kDefaultValue = 3 };
  bool IsValid() const;
};

// Image variants: NAME, DESCRIPTION, DEFAULTMAXWIDTH, DEFAULTMAXHEIGHT, NEWNAME, and where a
// skin names it, FORMAT (any column after these five; see copy_format.h).
class TImageModificationValueList : public TVTL2dValueList {
 public:
  static constexpr const char* kFormatColumn = "FORMAT";
  enum Column {
    kName = 0,
    kDescription = 1,
    kDefaultMaxWidth = 2,
    kDefaultMaxHeight = 3,
    kNewName = 4
  };
  bool IsValid() const;
  // The format cell of a row as written: empty when the table has no FORMAT column.
  static std::string FormatOf(const TVTLValueList& row) { return row.ValueOf(kFormatColumn); }
  // The first format cell that names no format, or nothing when every cell does.
  std::optional<std::string> UnknownFormat() const;
};

class TVTLSkin {
 public:
  // Loads the skin file `file_name` in `directory` and its three tables from `disk`. A
  // malformed table line is shown through `messages` by the table reader.
  TVTLSkin(TDisk& disk, const std::string& directory, const std::string& file_name,
           UserMessages& messages);
  TVTLSkin(const TVTLSkin&) = delete;
  TVTLSkin& operator=(const TVTLSkin&) = delete;

  // Directory + FileName.
  std::string FullPath() const { return Directory + FileName; }
  // Directory + Preview, or empty when the skin names no preview or it is no regular file
  // inside the skin's folder.
  std::string PreviewPath(TDisk& disk) const;

  std::string Directory;  // always with a trailing "/"
  std::string FileName;
  std::string SkinName, Preview, Startpage, Author, AuthorEMail;
  bool CopyOriginalImages = false;
  std::string HTMLPatternsFile, ImageModificationFile, RequiredVarsFile;
  bool Valid = true;
  std::string ErrorMessage;
  THTMLPatternValueList HTMLPatterns;
  TImageModificationValueList ImageModifications;
  TRequiredVarsValueList RequiredVars;

 private:
  [[nodiscard]] bool LoadTable(TDisk& disk, TVTL2dValueList& table,
                               bool (*is_valid)(const TVTL2dValueList&), const std::string& file,
                               UserMessages& messages);
  void Fail(std::string message);
};

class TVTLSkinList {
 public:
  // Appends every skin found below `folder` (valid or not).
  void ScanFolder(TDisk& disk, const std::string& folder, UserMessages& messages);
  void Add(std::unique_ptr<TVTLSkin> skin) { skins_.push_back(std::move(skin)); }
  void Clear() { skins_.clear(); }
  int Count() const { return static_cast<int>(skins_.size()); }
  TVTLSkin& Item(int index) { return *skins_.at(static_cast<size_t>(index)); }

 private:
  std::vector<std::unique_ptr<TVTLSkin>> skins_;
};

}  // namespace vistrel
