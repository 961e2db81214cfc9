#include "cli/cli.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>

#include "cli/command_table.h"
#include "csv/record_file.h"
#include "csv/skin.h"
#include "generation/progress_log.h"
#include "generation/run_request.h"
#include "generation/run_services.h"
#include "generation/run_status.h"
#include "generation/vistrel.h"
#include "imaging/image_operations.h"
#include "imaging/metadata.h"
#include "model/color.h"
#include "model/file_naming.h"
#include "model/value_list.h"
#include "support/cancel_flag.h"
#include "support/command_line.h"
#include "support/disk.h"
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

// A usage error of `command` (nullptr: of the program): the message and where the help is, on
// stderr, status 2.
int UsageError(std::ostream& err, const std::string& message, const char* command = "generate") {
  const TProgramTable& program = CliProgram();
  const TCommandEntry* entry = command ? FindCommand(program, command) : nullptr;
  err << "Fehler: " << message << "\n" << HelpHint(program, entry);
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

// Adds an IMAGE argument: a file like a dropped file, a folder as the photos directly in it.
void AddImageArgument(TDisk& disk, TVTLRecordList& records, const std::string& argument,
                      const TMetadataReader& read_metadata, TLogger& log) {
  std::string path = AbsolutePath(argument);
  if (disk.IsFolder(path)) {
    const std::string folder = IncludeTrailingPathDelimiter(path);
    for (const std::string& name : disk.ListFolder(folder))
      if (disk.IsRegularFile(folder + name))
        AddImageFile(records, name, folder, read_metadata, log);
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

// A bar on the terminal while the images are made, with the time left once it is known.
void DrawBar(int position, int max, const std::string& time_left) {
  constexpr int kWidth = 40;
  const int filled = max > 0 ? position * kWidth / max : 0;
  std::string bar = "\r[" + std::string(static_cast<size_t>(filled), '#') +
                    std::string(static_cast<size_t>(kWidth - filled), ' ') + "] " +
                    std::to_string(position) + "/" + std::to_string(max);
  if (!time_left.empty()) bar += ", " + time_left;
  bar += "\033[K";  // what a longer line before left there goes
  if (position >= max) bar += "\n";
  // A bar the terminal does not take is lost, and the run goes on without it.
  if (::write(STDERR_FILENO, bar.data(), bar.size()) < 0) return;
}

struct TGenerateOptions {
  std::string skin, out, list;
  std::vector<std::pair<std::string, std::string>> values, sizes, qualities, formats;
  std::vector<std::string> images;
  bool copy_originals = false, empty_output = false, reports = false, use_cache = true;
  bool update = false;
  bool omit_location = false;
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

// Reads the parsed arguments of "generate"; an error message, or empty.
std::string ReadGenerateOptions(const TParsedArguments& args, TGenerateOptions& options) {
  options.skin = args.Last("--skin").value_or("");
  options.out = args.Last("--out").value_or("");
  options.list = args.Last("--list").value_or("");
  for (const auto& [option, target] :
       {std::pair{"--set", &options.values}, std::pair{"--size", &options.sizes},
        std::pair{"--quality", &options.qualities}, std::pair{"--format", &options.formats}}) {
    for (const std::string& text : args.All(option)) {
      std::string name, value;
      if (!SplitAssignment(text, name, value))
        return std::string("Die Option ") + option +
               " braucht einen Wert der Form, die der Aufruf zeigt";
      target->emplace_back(name, value);
    }
  }
  options.copy_originals = args.Has("--copy-originals");
  options.omit_location = args.Has("--no-location");
  options.empty_output = args.Has("--empty-output");
  options.update = args.Has("--update");
  if (options.update && options.empty_output)
    return std::string("--update und --empty-output schließen einander aus");
  options.reports = args.Has("--reports");
  options.use_cache = !args.Has("--no-cache");
  if (const std::optional<std::string> text = args.Last("--cache-size")) {
    const std::optional<uint64_t> size = ParseCacheSize(*text);
    if (!size)
      return "--cache-size erwartet eine Größe wie 500M oder 2G, von " +
             std::to_string(kMinCacheSizeLimit / 1'000'000) + "M bis " +
             std::to_string(kMaxCacheSizeLimit / 1'000'000'000) + "G";
    options.cache_size_limit = *size;
  }
  options.images = args.operands;
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

// The first assignment of the options that names nothing of the skin, as a usage message;
// empty when the skin knows every name.
std::string UnknownNameProblem(const TGenerateOptions& options, const TVTLSkin& skin) {
  if (std::string name =
          UnknownName(options.values, skin.RequiredVars, TRequiredVarsValueList::kVariableName);
      !name.empty())
    return "Der Skin fragt nach keinem Wert " + name;
  for (const auto* assigned : {&options.sizes, &options.qualities, &options.formats})
    if (std::string name =
            UnknownName(*assigned, skin.ImageModifications, TImageModificationValueList::kName);
        !name.empty())
      return "Der Skin hat keine Bildvariante " + name;
  return {};
}

// The skin's values and variant settings as the options give them, else the skin's defaults,
// into `input`; the run request checks them. A usage message, or empty.
std::string GivenSettings(const TGenerateOptions& options, const TVTLSkin& skin, TRunInput& input) {
  for (int i = 0; i < skin.RequiredVars.Count(); ++i) {
    const TVTLValueList& row = skin.RequiredVars.Row(i);
    input.values.push_back(
        Assigned(options.values, row.Value(TRequiredVarsValueList::kVariableName))
            .value_or(row.Value(TRequiredVarsValueList::kDefaultValue)));
  }
  for (int i = 0; i < skin.ImageModifications.Count(); ++i) {
    const TVTLValueList& row = skin.ImageModifications.Row(i);
    TVariantSetting setting = DefaultVariantSetting(row);
    const std::string name = row.Value(TImageModificationValueList::kName);
    if (auto size = Assigned(options.sizes, name)) {
      const size_t x = size->find_first_of("xX");
      if (x == std::string::npos) return "--size erwartet BREITExHÖHE: " + *size;
      setting.max_width = size->substr(0, x);
      setting.max_height = size->substr(x + 1);
    }
    if (auto quality = Assigned(options.qualities, name)) setting.quality = *quality;
    if (auto format = Assigned(options.formats, name)) setting.format = *format;
    input.variants.push_back(setting);
  }
  return {};
}

// Loads the --list and adds the IMAGE arguments to `records`; nothing when they are ready,
// else the program's exit status.
std::optional<int> LoadImages(const TGenerateOptions& options, TDisk& disk, TVTLRecordList& records,
                              UserMessages& messages, std::ostream& err) {
  // Once the user asked to stop, the photos are no longer read: the list is only taken to its
  // end, quickly, and the program stops before the run.
  const TMetadataReader read_metadata = [](const std::string& path, TVTLValueList& metadata,
                                           TVTLValueList& photo_data, TVTLValueList& captions) {
    if (!StopRequested()) ReadPhotoMetadata(path, metadata, photo_data, captions);
  };
  TLogger log;
  if (!options.list.empty()) {
    TCSVVTLRecordFile list_file;
    if (!list_file.LoadRecordList(disk, records, options.list, read_metadata, log, messages)) {
      if (StopRequested()) return kCancelled;
      err << "Fehler: Die Bilderliste " << options.list << " konnte nicht geladen werden!\n";
      return kUsageError;
    }
  }
  for (const std::string& image : options.images)
    AddImageArgument(disk, records, image, read_metadata, log);
  if (StopRequested()) return kCancelled;
  return std::nullopt;
}

// What the user sees of a run: each report as a line (--reports) or the log at the end, the
// bar on a terminal while the images are made, and whether an error was reported.
class TRunView {
 public:
  TRunView(bool reports, bool has_start_page, std::ostream& out)
      : reports_(reports),
        live_bar_(!reports && ::isatty(STDERR_FILENO)),
        progress_(has_start_page),
        out_(out) {}

  TReportCallback Callback() {
    return [this](int step, int sub_step, int count, int position, int max,
                  const std::string& message) {
      progress_.Report(step, sub_step, count, position, max, message);
      status_.Report(step, sub_step, position, max, TRunStatus::TClock::now());
      if (reports_) PrintReport(out_, step, sub_step, count, position, max, message);
      if (live_bar_ && step == kStepImages) DrawBar(position, max, status_.TimeLeft());
    };
  }
  void PrintLog() {
    if (!reports_)
      for (const std::string& line : progress_.Lines()) out_ << line << "\n";
  }
  bool HadError() const { return progress_.HadError(); }

 private:
  bool reports_;
  bool live_bar_;
  TProgressLog progress_;
  TRunStatus status_;
  std::ostream& out_;
};

// Runs the checked request; the program's exit status.
int RunGallery(const TRunRequest& request, TFileServices& files, UserMessages& messages,
               TRunView& view, std::ostream& err) {
  const TReportCallback report = view.Callback();
  TVipsImageProcessor images;
  TCancelFlag cancel;
  TCancelOnStopSignal signals(cancel);
  TVistrel run(request, {images, files, messages, report, cancel});
  bool ok = false;
  std::string failure;
  try {
    ok = run.Run();
  } catch (const std::exception& error) {
    failure = error.what();
    // The log says how the run ended, as every other error does.
    report(kStepError, 0, 0, 0, 0, failure);
  }
  view.PrintLog();
  if (!failure.empty()) err << "Fehler: " << failure << "\n";
  // A signal after the run's last look at its flag stops nothing any more, but the caller
  // still learns that the program was asked to stop.
  if (run.Cancelled() || StopRequested()) return kCancelled;
  return ok && !view.HadError() ? 0 : kRunFailed;
}

int RunGenerate(const TParsedArguments& args, std::ostream& out, std::ostream& err) {
  TGenerateOptions options;
  if (std::string problem = ReadGenerateOptions(args, options); !problem.empty())
    return UsageError(err, problem);
  TStreamMessages messages(err);

  const std::string skin_path = AbsolutePath(options.skin);
  TDisk& disk = SystemDisk();
  TVTLSkin skin(disk, ExtractFilePath(skin_path), ExtractFileName(skin_path), messages);
  if (!skin.Valid) {
    err << "Der Skin " << skin.SkinName
        << " konnte nicht geladen werden. Fehlermeldung: " << skin.ErrorMessage << "\n";
    return kUsageError;
  }
  TRunInput input;
  if (std::string problem = UnknownNameProblem(options, skin); !problem.empty())
    return UsageError(err, problem);
  if (std::string problem = GivenSettings(options, skin, input); !problem.empty())
    return UsageError(err, problem);
  TVTLRecordList records;
  if (const std::optional<int> status = LoadImages(options, disk, records, messages, err))
    return *status;

  TRunView view(options.reports, !skin.Startpage.empty(), out);
  TSystemFiles files(disk);
  input.skin = &skin;
  input.records = &records;
  input.output_path = options.out;
  input.relative_to = AbsolutePath(".");
  input.skins_folder = SkinsFolder();
  input.copy_originals = options.copy_originals;
  input.omit_location = options.omit_location;
  input.empty_output = options.empty_output;
  input.update = options.update;
  input.use_cache = options.use_cache;
  input.cache_size_limit = options.cache_size_limit;
  const TRequestResult request = BuildRunRequest(input, files);
  if (StopRequested()) return kCancelled;
  if (!request.request) {
    if (request.problem == TRequestProblem::kValue) return UsageError(err, request.message);
    const TReportCallback report = view.Callback();
    report(kStepError, 0, 0, 0, 0, request.message);
    if (!request.reason.empty()) report(kStepError, 0, 0, 0, 0, request.reason);
    view.PrintLog();
    return kRunFailed;
  }
  return RunGallery(*request.request, files, messages, view, err);
}

int RunSkins(const std::vector<std::string>& folders, std::ostream& out, std::ostream& err) {
  if (folders.size() != 1) return UsageError(err, "skins erwartet genau ein Verzeichnis", "skins");
  TStreamMessages messages(err);
  TVTLSkinList skins;
  skins.ScanFolder(SystemDisk(), folders[0], messages);
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
  if (files.empty()) return UsageError(err, "metadata erwartet mindestens eine Datei", "metadata");
  for (const std::string& file : files) {
    if (StopRequested()) return kCancelled;
    if (files.size() > 1) out << "# " << file << "\n";
    TVTLValueList metadata;
    TVTLValueList photo_data;
    TVTLValueList captions;
    ReadPhotoMetadata(file, metadata, photo_data, captions);
    for (int i = 0; i < metadata.Count(); ++i)
      out << metadata.Name(i) << "=" << EscapeValue(metadata.Value(i)) << "\n";
    for (int i = 0; i < captions.Count(); ++i)
      out << "META:" << captions.Name(i) << "=" << EscapeValue(captions.Value(i)) << "\n";
  }
  return 0;
}

// The hidden command the shell's completion asks: what may stand in place of the last word.
// Prints the kind ("words", "files", "folders" or "nothing"), the pattern of the files, the
// part of the word before the value, then the words offered, one per line.
int RunComplete(const std::vector<std::string>& words, std::ostream& out) {
  const TCompletionReply reply = CompleteCommandLine(CliProgram(), words);
  static const char* const kKinds[] = {"nothing", "files", "folders", "words"};
  out << kKinds[static_cast<int>(reply.kind)] << "\n"
      << reply.pattern << "\n"
      << reply.prefix << "\n";
  for (const std::string& word : reply.words) out << word << "\n";
  return 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty() && args[0] == kCompleteCommand)
    return RunComplete({args.begin() + 1, args.end()}, out);
  const TProgramTable& program = CliProgram();
  const TParsedArguments parsed = ParseCommandLine(program, args);
  switch (parsed.action) {
    case TParsedArguments::TAction::kHelp:
      out << (parsed.command ? CommandHelp(program, *parsed.command) : ProgramHelp(program));
      return 0;
    case TParsedArguments::TAction::kVersion:
      out << VersionText(program);
      return 0;
    case TParsedArguments::TAction::kUsageError:
      if (parsed.problem.empty())
        err << ProgramHelp(program);
      else
        err << "Fehler: " << parsed.problem << "\n" << HelpHint(program, parsed.command);
      return kUsageError;
    case TParsedArguments::TAction::kRun:
      break;
  }
  const std::string& command = parsed.command->name;
  if (command == "generate") return RunGenerate(parsed, out, err);
  if (command == "metadata") return RunMetadata(parsed.operands, out, err);
  return RunSkins(parsed.operands, out, err);
}

}  // namespace vistrel
