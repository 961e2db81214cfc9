#include "template/parser.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "model/file_naming.h"
#include "support/cancel_flag.h"
#include "support/file_io.h"
#include "support/text.h"
#include "support/user_messages.h"

namespace vistrel {

namespace {

enum class TDirective { kText, kNewSection, kEndSection, kResetCounter };

constexpr std::string_view kMarker = "[VTL]";
// Sections nested deeper than this are refused: running or freeing such a tree would need a
// stack as deep as the template is long.
constexpr int kMaxNesting = 256;

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// What a template line is. Only a line that begins with "[VTL]" or "<!--[VTL]" can be a
// directive; its keyword is the word after the first "[VTL]" in capitals and the one
// character after that marker.
TDirective Classify(const std::string& line) {
  if (!StartsWithIgnoreCase(line, kMarker) && !StartsWithIgnoreCase(line, "<!--[VTL]"))
    return TDirective::kText;
  const size_t marker = line.find(kMarker);
  if (marker == std::string::npos) return TDirective::kText;
  const size_t start = std::min(line.size(), marker + kMarker.size() + 1);
  const size_t end = std::min(line.size(), line.find(' ', start));
  const std::string_view keyword = std::string_view(line).substr(start, end - start);
  if (SameTextIgnoreCase(keyword, "NEWSECTION")) return TDirective::kNewSection;
  if (SameTextIgnoreCase(keyword, "ENDSECTION")) return TDirective::kEndSection;
  if (SameTextIgnoreCase(keyword, "RESETCOUNTER")) return TDirective::kResetCounter;
  return TDirective::kText;
}

// The value of a key such as "NUMREPEAT:" anywhere in the line (key in any case): from the
// colon up to the first blank, ";" or ")".
std::optional<std::string> KeyValue(const std::string& line, std::string_view key) {
  const size_t pos = FindIgnoreCase(line, key);
  if (pos == std::string::npos) return std::nullopt;
  const size_t start = pos + key.size();
  const size_t end = std::min(line.size(), line.find_first_of(" ;)", start));
  return line.substr(start, end - start);
}

}  // namespace

TVTLParser::TVTLParser() = default;
TVTLParser::~TVTLParser() = default;

void TVTLParser::ReportReadError(const TReportCallback& report) const {
  const std::string message = "Fehler beim Lesen der Vorlagendatei " + template_file_ + "!";
  if (report) report(kStepError, 0, 0, 0, 0, message);
  if (Messages) Messages->ShowError(message);
}

void TVTLParser::ReportEndlessLoop(const TReportCallback& report) const {
  if (report)
    report(kStepError, 0, 0, 0, 0, "Endlosschleife in der Vorlagendatei " + template_file_ + "!");
}

bool TVTLParser::ReadTemplate(const std::string& file_name, const TReportCallback& report) {
  template_file_ = file_name;  // the read error names it
  std::string contents;
  bool read = false;
  if (ConfineToFolder.empty()) {
    read = ReadWholeFile(file_name, contents, kMaxSkinFileSize);
  } else {
    const std::string folder = IncludeTrailingPathDelimiter(ConfineToFolder);
    read = file_name.compare(0, folder.size(), folder) == 0 &&
           ReadFileInside(folder, file_name.substr(folder.size()), contents);
  }
  if (!read) {
    ReportReadError(report);
    return false;
  }
  return ReadTemplateText(contents, file_name, report);
}

bool TVTLParser::ReadTemplateText(std::string_view contents, const std::string& file_name,
                                  const TReportCallback& report) {
  template_file_ = file_name;
  Root = std::make_unique<TVTLPatternRepeatSection>("PatternFile", 1, nullptr);
  Root->Parser = this;
  try {
    return ReadLines(SplitTextLines(contents), report);
  } catch (const EParserError&) {
    ReportReadError(report);
    return false;
  }
}

bool TVTLParser::ReadLines(const std::vector<std::string>& lines, const TReportCallback& report) {
  TVTLPatternRepeatSection* current = Root.get();
  int depth = 0;
  std::string pending;
  auto place_text = [&](TVTLPatternRepeatSection& section) {
    auto block = std::make_unique<TVTLPatternStringSection>(std::move(pending));
    block->Parser = this;
    section.Sections.push_back(std::move(block));
    pending.clear();
  };
  for (const std::string& line : lines) {
    const TDirective directive = Classify(line);
    if (directive == TDirective::kText) {
      pending += "\r\n";
      pending += line;
      continue;
    }
    if (!current) {  // an ENDSECTION too many closed the top level
      ReportReadError(report);
      return false;
    }
    switch (directive) {
      case TDirective::kNewSection: {
        if (++depth > kMaxNesting) {
          ReportReadError(report);
          return false;
        }
        if (!pending.empty()) place_text(*current);
        auto section = std::make_unique<TVTLPatternRepeatSection>("", -1, current);
        section->Parser = this;
        TVTLPatternRepeatSection* opened = section.get();
        current->Sections.push_back(std::move(section));
        current = opened;
        opened->Name = KeyValue(line, "NAME:").value_or("");
        const std::optional<std::string> value = KeyValue(line, "NUMREPEAT:");
        const std::optional<int32_t> count =
            value ? ParseInt32(ExpandText(*value)) : std::optional<int32_t>();
        if (!count || *count < 0) {
          if (report)
            report(kStepError, 0, 0, 0, 0,
                   "Ungültiger Wert der \"NumRepeat\"-Eigenschaft in der Vorlagendatei " +
                       template_file_ + "!");
          return false;
        }
        opened->NumRepeat = *count;
        break;
      }
      case TDirective::kEndSection:
        place_text(*current);
        current = current->Parent;
        --depth;
        break;
      case TDirective::kResetCounter: {
        auto reset = std::make_unique<TVtlPatternResetSection>();
        reset->Parser = this;
        current->Sections.push_back(std::move(reset));
        break;
      }
      case TDirective::kText:
        break;
    }
  }
  // Text after the last directive belongs to the top level, whichever section is still open.
  if (!pending.empty()) place_text(*Root);
  return true;
}

bool TVTLParser::CancelRequested() const { return Cancel && Cancel->Cancelled(); }

std::string TVTLParser::PageFileOf(const TVTLRecord& record, int template_index) {
  if (!record.PageFiles || template_index < 0 || template_index >= record.PageFiles->Count())
    return {};
  return record.PageFiles->Value(template_index);
}

bool TVTLParser::PlanPages(int template_index, const TReportCallback& report) {
  if (!Root || !Properties || !Output) return false;
  RecordIndex = 0;
  TemplateIndex = template_index;
  repetitions_ = 0;
  details_names_.reset();  // the properties may have changed since the last pass
  PageList.clear();
  page_positions_.clear();
  // Most templates make at most a page per image: with room for that many the index is not
  // rebuilt again and again while a large gallery's pages are planned.
  page_positions_.reserve(Records.size());
  return Finish(Root->Execute(true, report));
}

bool TVTLParser::WritePages(int template_index, const TReportCallback& report) {
  if (!Root || !Properties || !Output) return false;
  RecordIndex = 0;
  PageIndex = 0;
  TemplateIndex = template_index;
  repetitions_ = 0;
  details_names_.reset();  // the properties may have changed since the last pass
  RefreshVariables();
  return Finish(Root->Execute(false, report));
}

bool TVTLParser::StartPage(bool planning, const TReportCallback& report) {
  const TVTLRecord& image = Image(RecordIndex);
  if (!planning) {
    CurrentPageFile = PageFileOf(image, TemplateIndex);
    OutFile = Output->OpenCreated(CurrentPageFile);
    RefreshVariables();
    return true;
  }
  const std::string pattern = Properties->HTMLPatterns->Row(TemplateIndex).Value(2);
  const std::string extension = pattern.empty() ? ".html" : "";
  const std::string old_name = RemoveFileExt(image.FileName);
  std::string path;
  switch (Output->Create(pattern, old_name, extension, path)) {
    case TPageFolder::TResult::kInvalidName:
      if (report)
        report(kStepError, 0, 0, 0, 0, "Ungültiger Dateiname " + PrintableName(pattern) + "!");
      return false;
    case TPageFolder::TResult::kFailed:
      throw EOutputError(
          path.empty() ? Output->Directory() + PrintableName(pattern) : PrintableName(path),
          SystemErrorText(errno));
    case TPageFolder::TResult::kCreated:
      break;
  }
  CurrentPageFile = path;
  page_positions_.emplace(PageKey(path), PageList.size());
  PageList.push_back(std::move(path));
  return true;
}

uint64_t TVTLParser::PageKey(std::string_view page) {
  return std::hash<std::string>{}(UpperCase(page));
}

std::optional<size_t> TVTLParser::PagePosition(std::string_view page) const {
  std::optional<size_t> position;
  auto [from, to] = page_positions_.equal_range(PageKey(page));
  for (auto it = from; it != to; ++it)
    if (SameTextIgnoreCase(PageList[it->second], page) && (!position || it->second < *position))
      position = it->second;
  return position;
}

bool TVTLParser::Finish(bool ok) {
  if (ok)
    ClosePage();
  else
    AbandonPage();
  return ok;
}

void TVTLParser::AbandonPage() { OutFile = TOutputFile(); }

void TVTLParser::ClosePage() {
  if (OutFile.IsOpen()) Output->Finish(OutFile);
}

void TVTLParser::ConsumeImage(bool planning) {
  if (planning) {
    TVTLRecord& image = Image(RecordIndex);
    if (image.PageFiles && TemplateIndex >= 0 && TemplateIndex < image.PageFiles->Count())
      image.PageFiles->SetValue(TemplateIndex, CurrentPageFile);
  }
  ++RecordIndex;
  if (!planning) RefreshVariables();
}

bool TVTLParser::WriteText(const TVTLPatternStringSection& section, const TReportCallback& report) {
  const size_t room = MaxPageSize - std::min<uint64_t>(OutFile.Size(), MaxPageSize);
  std::string text;
  if (!SubstitutePlaceholders(ApplyConditions(section.Text), room, text)) {
    if (report)
      report(kStepError, 0, 0, 0, 0,
             "Die Seite " + CurrentPageFile + " würde größer als " +
                 std::to_string(MaxPageSize / (1024 * 1024)) + " MB (Vorlagendatei " +
                 template_file_ + ")!");
    return false;
  }
  OutFile.Write(text);
  return true;
}

bool TVTLParser::CountRepetition(const TReportCallback& report) {
  const int64_t limit = kMaxRepetitionsPerImage * std::max(1, ImageCount());
  if (++repetitions_ <= limit) return true;
  ReportEndlessLoop(report);
  return false;
}

}  // namespace vistrel
