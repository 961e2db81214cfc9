#include "generation/run_request.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>

#include "generation/gallery_manifest.h"
#include "generation/output_folder.h"
#include "generation/run_outcome.h"
#include "generation/run_services.h"
#include "model/color.h"
#include "model/copy_format.h"
#include "model/file_naming.h"
#include "support/disk.h"
#include "support/paths.h"
#include "support/text.h"

namespace vistrel {

namespace {

// A name that stands for an image's own name while patterns are checked on their own.
constexpr const char* kSampleOldName = "bild";

TRequestResult Refuse(TRequestProblem problem, std::string message, std::string reason = {}) {
  TRequestResult result;
  result.problem = problem;
  result.message = std::move(message);
  result.reason = std::move(reason);
  return result;
}

// A whole number from `low` to `high` written as text.
bool IsNumberIn(const std::string& text, int low, int high) {
  const std::optional<int32_t> number = ParseInt32(Trim(text));
  return number && *number >= low && *number <= high;
}

// Why emptying the resolved folder `folder` would lose what must not be lost; empty when it
// may be emptied.
std::string WhyNotEmpty(const std::string& folder, const TRunInput& input,
                        const TFileServices& files) {
  TDisk& disk = files.Disk();
  if (files.IsMountRoot(folder)) return "Es ist die Wurzel eines Dateisystems.";
  const std::string home = files.HomeFolder();
  if (!home.empty() && IsSameOrBelow(disk.RealPath(home), folder))
    return "Es ist der persönliche Ordner oder ein Ordner, der ihn enthält.";
  for (const std::string& skins : {input.skins_folder, input.skin->Directory}) {
    const std::string resolved = disk.RealPath(skins);
    if (IsSameOrBelow(resolved, folder) || IsSameOrBelow(folder, resolved))
      return "Es enthält Skins oder liegt in einem Skin.";
  }
  for (const std::string& mount : files.MountPoints())
    if (mount != folder && IsSameOrBelow(mount, folder))
      return "Es enthält ein eingehängtes Dateisystem: " + mount + ".";
  // A listed photo counts where it really is: its folder resolved, and the photo itself when
  // it is a link (X/link.jpg may lead into the folder). Folders are resolved once each.
  std::unordered_map<std::string, bool> folder_inside;
  for (int i = 0; i < input.records->Count(); ++i) {
    const TVTLRecord& record = input.records->Item(i);
    auto [known, added] = folder_inside.try_emplace(record.Directory(), false);
    if (added) known->second = IsSameOrBelow(disk.RealPath(record.Directory()), folder);
    struct stat st;
    const std::string path = record.FullPath();
    if (known->second || (disk.Status(kByPath, path, false, st).Ok() && S_ISLNK(st.st_mode) &&
                          IsSameOrBelow(disk.RealPath(path), folder)))
      return "Es enthält Bilder der Liste.";
  }
  return {};
}

// A variant as the user knows it: by the caption the dialog shows, with the name that the
// command line and the templates use.
std::string VariantLabel(const TVTLValueList& row) {
  const std::string& name = row.Value(TImageModificationValueList::kName);
  const std::string caption(Trim(row.Value(TImageModificationValueList::kDescription)));
  return caption.empty() || caption == name ? name : "„" + caption + "“ (" + name + ")";
}

}  // namespace

TValueType ValueTypeOf(const std::string& type) {
  const std::string upper = UpperCase(type);
  if (upper == "TEXT") return TValueType::kText;
  if (upper == "COLOR") return TValueType::kColor;
  if (upper == "NUMBER") return TValueType::kNumber;
  return TValueType::kOther;
}

std::string NormalizeValue(TValueType type, const std::string& text) {
  switch (type) {
    case TValueType::kColor:
      return ColorToHtml(HtmlToColor(text));
    case TValueType::kNumber: {
      const std::optional<int32_t> number = ParseInt32(Trim(text));
      if (!number) throw EConvertError("\"" + text + "\" ist keine gültige Zahl!");
      return std::to_string(std::clamp(*number, 0, kMaxNumberValue));
    }
    default:
      return text;
  }
}

TVariantSetting DefaultVariantSetting(const TVTLValueList& row) {
  return {row.Value(TImageModificationValueList::kDefaultMaxWidth),
          row.Value(TImageModificationValueList::kDefaultMaxHeight),
          std::to_string(kDefaultJpegQuality), TImageModificationValueList::FormatOf(row)};
}

std::string ResolveOutputPath(const std::string& typed, const std::string& relative_to,
                              const std::string& home) {
  if (Trim(typed).empty()) return typed;
  std::filesystem::path path(typed);
  if (!home.empty() && (typed == "~" || typed.starts_with("~/")))
    path = home + typed.substr(1);  // "~//x" is below the home folder too
  else if (path.is_relative())
    path = std::filesystem::path(relative_to) / path;
  return path.lexically_normal().string();
}

namespace {

// A step of BuildRunRequest(): its refusal, or nothing when the request may go on.
using TRefusal = std::optional<TRequestResult>;

TRefusal CheckSkinAndOutputPath(const TRunInput& input) {
  const TVTLSkin* skin = input.skin;
  if (!skin)
    return Refuse(TRequestProblem::kSkin, "Bitte wählen Sie einen Skin aus der Liste oben aus!");
  if (!skin->Valid)
    return Refuse(TRequestProblem::kSkin,
                  "Der Skin " + skin->SkinName +
                      " konnte nicht geladen werden. Fehlermeldung: " + skin->ErrorMessage);
  if (Trim(input.output_path).empty())
    return Refuse(TRequestProblem::kOutputFolder, "Bitte geben Sie ein Ausgabeverzeichnis an!");
  if (!IsSystemPath(input.output_path))
    return Refuse(TRequestProblem::kOutputFolder,
                  "Ungültiges Ausgabeverzeichnis " + PrintableName(input.output_path) + "!");
  return std::nullopt;
}

// The skin's values, as given or by default, each normalized for its type.
TRefusal CheckValues(const TRunInput& input, TRunRequest& request) {
  const TRequiredVarsValueList& required = input.skin->RequiredVars;
  for (int i = 0; i < required.Count(); ++i) {
    const TVTLValueList& row = required.Row(i);
    const std::string& name = row.Value(TRequiredVarsValueList::kVariableName);
    const std::string given = i < static_cast<int>(input.values.size())
                                  ? input.values[static_cast<size_t>(i)]
                                  : row.Value(TRequiredVarsValueList::kDefaultValue);
    try {
      request.values.push_back(
          {name, NormalizeValue(ValueTypeOf(row.Value(TRequiredVarsValueList::kType)), given)});
    } catch (const EConvertError& error) {
      return Refuse(TRequestProblem::kValue, std::string(error.what()) + " (" + name + ")");
    }
  }
  return std::nullopt;
}

// The variant of the skin's row `row` with the user's `setting`, whose pattern must keep its
// copies inside the output folder.
TRefusal CheckVariant(const TVTLValueList& row, const TVariantSetting& setting,
                      TRunRequest& request) {
  const int max_side = static_cast<int>(kMaxVariantSide);
  if (!IsNumberIn(setting.max_width, 1, max_side) || !IsNumberIn(setting.max_height, 1, max_side) ||
      !IsNumberIn(setting.quality, kMinJpegQuality, kMaxJpegQuality))
    return Refuse(TRequestProblem::kVariant,
                  "Ungültige Werte für die Bildvariante " + VariantLabel(row) + "!",
                  "Maximale Breite und Höhe: 1 bis " + std::to_string(kMaxVariantSide) +
                      " Pixel, JPG-Qualität: " + std::to_string(kMinJpegQuality) + " bis " +
                      std::to_string(kMaxJpegQuality) + ".");
  const std::optional<TImageFormat> format = ParseImageFormat(setting.format);
  if (!format)
    return Refuse(TRequestProblem::kVariant,
                  "Ungültige Werte für die Bildvariante " + VariantLabel(row) + "!",
                  "Unbekanntes Bildformat " + PrintableName(setting.format) + ", erlaubt sind " +
                      ImageFormatChoices() + ".");
  const std::string& pattern = row.Value(TImageModificationValueList::kNewName);
  request.variants.push_back({row.Value(TImageModificationValueList::kName),
                              pattern,
                              {static_cast<uint32_t>(*ParseInt32(Trim(setting.max_width))),
                               static_cast<uint32_t>(*ParseInt32(Trim(setting.max_height))),
                               *ParseInt32(Trim(setting.quality)), *format}});
  if (!IsNameInsideFolder(pattern, kSampleOldName, ImageFormatExtension(*format, ".jpg")))
    return Refuse(TRequestProblem::kFileName,
                  "Ungültiger Dateiname " + PrintableName(pattern) + "!");
  return std::nullopt;
}

// Every variant of the skin, as given or by default, and every page pattern.
TRefusal CheckVariantsAndPages(const TRunInput& input, TRunRequest& request) {
  const TImageModificationValueList& variants = input.skin->ImageModifications;
  for (int i = 0; i < variants.Count(); ++i) {
    const TVTLValueList& row = variants.Row(i);
    const TVariantSetting setting = i < static_cast<int>(input.variants.size())
                                        ? input.variants[static_cast<size_t>(i)]
                                        : DefaultVariantSetting(row);
    if (TRefusal refused = CheckVariant(row, setting, request)) return refused;
  }
  const THTMLPatternValueList& pages = input.skin->HTMLPatterns;
  for (int i = 0; i < pages.Count(); ++i) {
    const std::string& pattern = pages.Row(i).Value(THTMLPatternValueList::kNewFileName);
    if (!IsNameInsideFolder(pattern, kSampleOldName, pattern.empty() ? ".html" : ""))
      return Refuse(TRequestProblem::kFileName,
                    "Ungültiger Dateiname " + PrintableName(pattern) + "!");
  }
  return std::nullopt;
}

// What the output folder holds: a gallery to update, and nothing that emptying would lose.
TRefusal CheckOutputFolder(const TRunInput& input, const TRunRequest& request,
                           const TFileServices& files) {
  TDisk& disk = files.Disk();
  if (request.update && disk.IsFolder(request.output_folder) &&
      !disk.ListFolder(request.output_folder).empty() &&
      !ReadFolderManifest(disk, request.output_folder))
    return Refuse(TRequestProblem::kOutputFolder,
                  "Das Verzeichnis " + request.output_folder +
                      " enthält keine mit Vistrel erzeugte Galerie, die sich aktualisieren ließe!");
  if (request.empty_output && disk.IsFolder(request.output_folder)) {
    const std::string why = WhyNotEmpty(disk.RealPath(request.output_folder), input, files);
    if (!why.empty())
      return Refuse(TRequestProblem::kEmptying,
                    "Das Verzeichnis " + input.output_path + " kann nicht geleert werden!", why);
  }
  return std::nullopt;
}

}  // namespace

TRequestResult BuildRunRequest(const TRunInput& input, const TFileServices& files) {
  if (TRefusal refused = CheckSkinAndOutputPath(input)) return std::move(*refused);

  TRunRequest request;
  request.skin = input.skin;
  request.records = input.records;
  request.copy_originals = input.copy_originals;
  request.omit_location = input.omit_location;
  request.use_cache = input.use_cache;
  request.cache_size_limit = input.cache_size_limit;
  // An update replaces the gallery in place; emptying would take the user's files too.
  request.empty_output = input.empty_output && !input.update;
  request.update = input.update;
  request.gallery_id = input.gallery_id;
  request.output_folder = IncludeTrailingPathDelimiter(
      ResolveOutputPath(input.output_path, input.relative_to, files.HomeFolder()));
  request.output_path = input.output_path;

  TRefusal refused = CheckValues(input, request);
  if (!refused) refused = CheckVariantsAndPages(input, request);
  // Nothing to show is no gallery; refused before anything is emptied.
  if (!refused && (!input.records || input.records->Count() == 0))
    refused = Refuse(TRequestProblem::kEmptyList, NoGalleryLine(EmptyListReason()));
  if (!refused) refused = CheckOutputFolder(input, request, files);
  if (refused) return std::move(*refused);

  TRequestResult result;
  result.request = std::move(request);
  return result;
}

void FillGallerySettings(TVTLGalleryProperties& settings, const TRunRequest& request) {
  settings.OutputDirectory = request.output_folder;
  settings.CopyOriginals = request.copy_originals;
  settings.OmitLocation = request.omit_location;
  settings.HTMLPatterns = &request.skin->HTMLPatterns;
  settings.RequiredValues = request.values;
  settings.ImageVariants = request.variants;
}

std::string SkinDefaultsProblem(const TVTLSkin& skin) {
  const std::string where = " in " + skin.FullPath() + ")";
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    try {
      (void)NormalizeValue(ValueTypeOf(row.Value(TRequiredVarsValueList::kType)),
                           row.Value(TRequiredVarsValueList::kDefaultValue));
    } catch (const EConvertError& error) {
      return std::string(error.what()) + " (Standardwert von „" +
             row.Value(TRequiredVarsValueList::kDescription) + "“" + where;
    }
  }
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    const TVariantSetting defaults = DefaultVariantSetting(row);
    for (const auto& [text, caption] : {std::pair{defaults.max_width, "Maximale Breite"},
                                        std::pair{defaults.max_height, "Maximale Höhe"}}) {
      if (!ParseInt32(Trim(text)))
        return "\"" + text + "\" ist keine gültige Zahl! (" + caption + " der Bildvariante „" +
               row.Value(TImageModificationValueList::kDescription) + "“" + where;
    }
  }
  return {};
}

}  // namespace vistrel
