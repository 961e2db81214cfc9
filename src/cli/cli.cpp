#include "cli/cli.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "csv/record_file.h"
#include "generation/progress_log.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "imaging/metadata.h"
#include "model/color.h"
#include "model/file_naming.h"
#include "model/skin.h"
#include "model/value_list.h"
#include "support/cancel_flag.h"
#include "support/file_io.h"
#include "support/logger.h"
#include "support/program_paths.h"
#include "support/stop_signals.h"
#include "support/text.h"
#include "support/user_messages.h"

namespace vistrel {

namespace {

constexpr int kUsageError = 2;
constexpr int kRunFailed = 1;
constexpr int kCancelled = kStoppedStatus;

// Messages the desktop program shows in a box: "Fehler: " and the text on stderr.
class TStreamMessages : public UserMessages {
 public:
  explicit TStreamMessages(std::ostream& err) : err_(err) {}
  void ShowError(const std::string& text) override { err_ << "Fehler: " << text << "\n"; }

 private:
  std::ostream& err_;
};

// A usage error: the message and the usage text on stderr, status 2.
int UsageError(std::ostream& err, const std::string& message) {
  err << "Fehler: " << message << "\n" << CliUsage();
  return kUsageError;
}

// "NAME=VALUE" split at the first "=".
bool SplitAssignment(const std::string& text, std::string& name, std::string& value) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  name = text.substr(0, equals);
  value = text.substr(equals + 1);
  return true;
}

// An absolute, lexically normal path.
std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

// Adds an IMAGE argument: a file like a dropped file, a folder as the JPEG files directly in it.
void AddImageArgument(TVTLRecordList& records, const std::string& argument,
                      const TMetadataReader& read_metadata, TLogger& log) {
  std::string path = AbsolutePath(argument);
  if (IsFolder(path)) {
    const std::string folder = IncludeTrailingPathDelimiter(path);
    for (const std::string& name : ListFolderEntries(folder))
      if (IsRegularFile(folder + name)) AddImageFile(records, name, folder, read_metadata, log);
    return;
  }
  AddImageFile(records, ExtractFileName(path), ExtractFilePath(path), read_metadata, log);
}

// One report as a line: the six arguments separated by tabs.
void PrintReport(std::ostream& out, int step, int sub_step, int count, int position, int max,
                 const std::string& message) {
  out << step << '\t' << sub_step << '\t' << count << '\t' << position << '\t' << max << '\t'
      << message << '\n';
}

// A bar on the terminal while the images are made.
void DrawBar(int position, int max) {
  constexpr int kWidth = 40;
  const int filled = max > 0 ? position * kWidth / max : 0;
  std::string bar = "\r[" + std::string(static_cast<size_t>(filled), '#') +
                    std::string(static_cast<size_t>(kWidth - filled), ' ') + "] " +
                    std::to_string(position) + "/" + std::to_string(max);
  if (position >= max) bar += "\n";
  ::write(STDERR_FILENO, bar.data(), bar.size());
}

struct TGenerateOptions {
  std::string skin, out, list;
  std::vector<std::pair<std::string, std::string>> values, sizes, qualities;
  std::vector<std::string> images;
  bool copy_originals = false, empty_output = false, reports = false, use_cache = true;
  uint64_t cache_size_limit = kDefaultCacheSizeLimit;
};

// A size as --cache-size takes it: a whole number of megabytes, or of gigabytes with "G"
// ("M", "MB" and "GB" are understood too, in any case).
std::optional<uint64_t> ParseCacheSize(const std::string& text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits == 0 || digits > 9) return std::nullopt;
  const uint64_t number = std::stoull(text.substr(0, digits));
  const std::string unit = UpperCase(text.substr(digits));
  uint64_t bytes = 0;
  if (unit.empty() || unit == "M" || unit == "MB")
    bytes = number * 1'000'000;
  else if (unit == "G" || unit == "GB")
    bytes = number * 1'000'000'000;
  if (bytes < kMinCacheSizeLimit || bytes > kMaxCacheSizeLimit) return std::nullopt;
  return bytes;
}

// Parses the arguments of "generate"; an error message, or empty.
std::string ParseGenerate(const std::vector<std::string>& args, TGenerateOptions& options) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto next = [&](std::string& target) {
      if (i + 1 >= args.size()) return false;
      target = args[++i];
      return true;
    };
    auto assignment = [&](std::vector<std::pair<std::string, std::string>>& target) {
      std::string text, name, value;
      if (!next(text) || !SplitAssignment(text, name, value)) return false;
      target.emplace_back(name, value);
      return true;
    };
    bool ok = true;
    if (arg == "--skin")
      ok = next(options.skin);
    else if (arg == "--out")
      ok = next(options.out);
    else if (arg == "--list")
      ok = next(options.list);
    else if (arg == "--set")
      ok = assignment(options.values);
    else if (arg == "--size")
      ok = assignment(options.sizes);
    else if (arg == "--quality")
      ok = assignment(options.qualities);
    else if (arg == "--copy-originals")
      options.copy_originals = true;
    else if (arg == "--empty-output")
      options.empty_output = true;
    else if (arg == "--reports")
      options.reports = true;
    else if (arg == "--no-cache")
      options.use_cache = false;
    else if (arg == "--cache-size") {
      std::string text;
      const std::optional<uint64_t> size = next(text) ? ParseCacheSize(text) : std::nullopt;
      if (!size)
        return "--cache-size erwartet eine Größe wie 500M oder 2G, von " +
               std::to_string(kMinCacheSizeLimit / 1'000'000) + "M bis " +
               std::to_string(kMaxCacheSizeLimit / 1'000'000'000) + "G";
      options.cache_size_limit = *size;
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-')
      return "Unbekannte Option " + arg;
    else
      options.images.push_back(arg);
    if (!ok) return "Die Option " + arg + " braucht einen Wert der Form, die der Aufruf zeigt";
  }
  if (options.skin.empty()) return "Es fehlt --skin";
  if (options.out.empty()) return "Es fehlt --out";
  return {};
}

// The value of the first assignment whose name equals `name` ignoring case.
std::optional<std::string> Assigned(const std::vector<std::pair<std::string, std::string>>& list,
                                    const std::string& name) {
  for (const auto& [n, v] : list)
    if (SameTextIgnoreCase(n, name)) return v;
  return std::nullopt;
}

// An assignment naming nothing in `names`, or empty.
std::string UnknownName(const std::vector<std::pair<std::string, std::string>>& list,
                        const TVTL2dValueList& table, int column) {
  for (const auto& [name, value] : list) {
    bool known = false;
    for (int i = 0; i < table.Count() && !known; ++i)
      known = SameTextIgnoreCase(table.Row(i).Value(column), name);
    if (!known) return name;
  }
  return {};
}

int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TGenerateOptions options;
  if (std::string problem = ParseGenerate(args, options); !problem.empty())
    return UsageError(err, problem);
  TStreamMessages messages(err);
  TLogger log;

  const std::string skin_path = AbsolutePath(options.skin);
  TVTLSkin skin(ExtractFilePath(skin_path), ExtractFileName(skin_path), messages);
  if (!skin.Valid) {
    err << "Der Skin " << skin.SkinName
        << " konnte nicht geladen werden. Fehlermeldung: " << skin.ErrorMessage << "\n";
    return kUsageError;
  }
  if (std::string name =
          UnknownName(options.values, skin.RequiredVars, TRequiredVarsValueList::kVariableName);
      !name.empty())
    return UsageError(err, "Der Skin fragt nach keinem Wert " + name);
  if (std::string name =
          UnknownName(options.sizes, skin.ImageModifications, TImageModificationValueList::kName);
      !name.empty())
    return UsageError(err, "Der Skin hat keine Bildvariante " + name);
  if (std::string name = UnknownName(options.qualities, skin.ImageModifications,
                                     TImageModificationValueList::kName);
      !name.empty())
    return UsageError(err, "Der Skin hat keine Bildvariante " + name);

  // Values and variant settings as given; the run request checks them.
  std::vector<std::string> values;
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    values.push_back(Assigned(options.values, row.Value(TRequiredVarsValueList::kVariableName))
                         .value_or(row.Value(TRequiredVarsValueList::kDefaultValue)));
  }
  std::vector<TVariantSetting> variants;
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    TVariantSetting setting = DefaultVariantSetting(row);
    const std::string name = row.Value(TImageModificationValueList::kName);
    if (auto size = Assigned(options.sizes, name)) {
      const size_t x = size->find_first_of("xX");
      if (x == std::string::npos) return UsageError(err, "--size erwartet BREITExHÖHE: " + *size);
      setting.max_width = size->substr(0, x);
      setting.max_height = size->substr(x + 1);
    }
    if (auto quality = Assigned(options.qualities, name)) setting.quality = *quality;
    variants.push_back(setting);
  }

  // Once the user asked to stop, the photos are no longer read: the list is only taken to its
  // end, quickly, and the program stops before the run.
  const TMetadataReader read_metadata = [](const std::string& path, TVTLValueList& metadata,
                                           TVTLValueList& photo_data) {
    if (!StopRequested()) ReadPhotoMetadata(path, metadata, photo_data);
  };
  TVTLRecordList records;
  if (!options.list.empty()) {
    TCSVVTLRecordFile list_file;
    if (!list_file.LoadRecordList(records, options.list, read_metadata, log, messages)) {
      if (StopRequested()) return kCancelled;
      err << "Fehler: Die Bilderliste " << options.list << " konnte nicht geladen werden!\n";
      return kUsageError;
    }
  }
  for (const std::string& image : options.images)
    AddImageArgument(records, image, read_metadata, log);
  if (StopRequested()) return kCancelled;

  TProgressLog progress(!skin.Startpage.empty());
  const bool live_bar = !options.reports && ::isatty(STDERR_FILENO);
  TReportCallback report = [&](int step, int sub_step, int count, int position, int max,
                               const std::string& message) {
    progress.Report(step, sub_step, count, position, max, message);
    if (options.reports) PrintReport(out, step, sub_step, count, position, max, message);
    if (live_bar && step == kStepImages) DrawBar(position, max);
  };
  auto print_log = [&] {
    if (!options.reports)
      for (const std::string& line : progress.Lines()) out << line << "\n";
  };

  TSystemFiles files;
  TRunInput input;
  input.skin = &skin;
  input.records = &records;
  input.values = values;
  input.variants = variants;
  input.output_path = options.out;
  input.relative_to = AbsolutePath(".");
  input.skins_folder = SkinsFolder();
  input.copy_originals = options.copy_originals;
  input.empty_output = options.empty_output;
  input.use_cache = options.use_cache;
  input.cache_size_limit = options.cache_size_limit;
  const TRequestResult request = BuildRunRequest(input, files);
  if (StopRequested()) return kCancelled;
  if (!request.request) {
    if (request.problem == TRequestProblem::kValue) return UsageError(err, request.message);
    report(kStepError, 0, 0, 0, 0, request.message);
    if (!request.reason.empty()) report(kStepError, 0, 0, 0, 0, request.reason);
    print_log();
    return kRunFailed;
  }

  TVipsImageProcessor images;
  TCancelFlag cancel;
  TCancelOnStopSignal signals(cancel);
  TVistrel run(*request.request, {images, files, messages, report, cancel});
  bool ok = false;
  std::string failure;
  try {
    ok = run.Run();
  } catch (const std::exception& error) {
    failure = error.what();
  }
  print_log();
  if (!failure.empty()) err << "Fehler: " << failure << "\n";
  // A signal after the run's last look at its flag stops nothing any more, but the caller
  // still learns that the program was asked to stop.
  if (run.Cancelled() || StopRequested()) return kCancelled;
  return ok && !progress.HadError() ? 0 : kRunFailed;
}

int RunSkins(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) return UsageError(err, "skins erwartet genau ein Verzeichnis");
  TStreamMessages messages(err);
  TVTLSkinList skins;
  skins.ScanFolder(args[0], messages);
  if (StopRequested()) return kCancelled;
  for (int i = 0; i < skins.Count(); ++i) {
    const TVTLSkin& skin = skins.Item(i);
    out << (skin.Valid ? "ok" : "invalid") << '\t' << skin.SkinName << '\t' << skin.FullPath()
        << '\t' << skin.ErrorMessage << '\n';
  }
  return 0;
}

// Writes a metadata value on one line: backslash, CR, LF, tab and NUL as \\ \r \n \t \0.
std::string EscapeValue(const std::string& value) {
  std::string result;
  result.reserve(value.size());
  for (char c : value) {
    switch (c) {
      case '\\':
        result += "\\\\";
        break;
      case '\r':
        result += "\\r";
        break;
      case '\n':
        result += "\\n";
        break;
      case '\t':
        result += "\\t";
        break;
      case '\0':
        result += "\\0";
        break;
      default:
        result.push_back(c);
    }
  }
  return result;
}

int RunMetadata(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  if (files.empty()) {
    err << CliUsage();
    return kUsageError;
  }
  for (const std::string& file : files) {
    if (StopRequested()) return kCancelled;
    if (files.size() > 1) out << "# " << file << "\n";
    TVTLValueList metadata;
    ReadImageMetadata(file, metadata);
    for (int i = 0; i < metadata.Count(); ++i)
      out << metadata.Name(i) << "=" << EscapeValue(metadata.Value(i)) << "\n";
  }
  return 0;
}

}  // namespace

std::string CliUsage() {
  return "Aufruf:\n"
         "  vistrel-cli generate --skin SKINDATEI --out VERZEICHNIS [Optionen] [BILD...]\n"
         "      --list DATEI          Bilderliste laden (ihre Bilder kommen zuerst)\n"
         "      --set NAME=WERT       Wert für den Skin setzen\n"
         "      --size VARIANTE=BxH   maximale Breite und Höhe einer Bildvariante\n"
         "      --quality VARIANTE=Q  JPG-Qualität einer Bildvariante (Vorgabe 80)\n"
         "      --copy-originals      Originale der Bilddateien kopieren\n"
         "      --empty-output        Verzeichnis vor Galerieerzeugung leeren\n"
         "      --reports             jede Fortschrittsmeldung als Zeile ausgeben\n"
         "      --no-cache            den Zwischenspeicher für verkleinerte Bilder nicht nutzen\n"
         "      --cache-size GRÖSSE   dessen Grenze in MB, oder mit G in GB (Vorgabe 2G)\n"
         "  vistrel-cli metadata DATEI...\n"
         "  vistrel-cli skins VERZEICHNIS\n";
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << CliUsage();
    return kUsageError;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "generate") return RunGenerate(rest, out, err);
  if (command == "metadata") return RunMetadata(rest, out, err);
  if (command == "skins") return RunSkins(rest, out, err);
  err << "Unbekannter Befehl: " << command << "\n" << CliUsage();
  return kUsageError;
}

}  // namespace vistrel
