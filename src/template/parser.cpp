#include "template/parser.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "model/file_naming.h"
#include "support/cancel_flag.h"
#include "support/disk.h"
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

TVTLParser::TVTLParser(TParserContext context) : context_(std::move(context)) {}
TVTLParser::~TVTLParser() = default;

void TVTLParser::ReportReadError(const TReportCallback& report) const {
  const std::string message = "Fehler beim Lesen der Vorlagendatei " + template_file_ + "!";
  if (report) report(kStepError, 0, 0, 0, 0, message);
  if (context_.messages) context_.messages->ShowError(message);
}

void TVTLParser::ReportEndlessLoop(const TReportCallback& report) const {
  if (report)
    report(kStepError, 0, 0, 0, 0, "Endlosschleife in der Vorlagendatei " + template_file_ + "!");
}

bool TVTLParser::ReadTemplate(const std::string& file_name, const TReportCallback& report) {
  template_file_ = file_name;  // the read error names it
  std::string contents;
  bool read = false;
  if (!context_.disk) {
    read = false;
  } else if (context_.confine_to_folder.empty()) {
    read = context_.disk->ReadFile(file_name, contents, kMaxSkinFileSize).Ok();
  } else {
    const std::string folder = IncludeTrailingPathDelimiter(context_.confine_to_folder);
    read = file_name.compare(0, folder.size(), folder) == 0 &&
           context_.disk->ReadFileInside(folder, file_name.substr(folder.size()), contents).Ok();
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
  root_ = std::make_unique<TVTLPatternRepeatSection>("PatternFile", 1, nullptr);
  root_->Parser = this;
  try {
    return ReadLines(SplitTextLines(contents), report);
  } catch (const EParserError&) {
    ReportReadError(report);
    return false;
  }
}

bool TVTLParser::ReadLines(const std::vector<std::string>& lines, const TReportCallback& report) {
  TVTLPatternRepeatSection* current = root_.get();
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
        current = OpenSection(*current, line, report);
        if (!current) return false;
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
  if (!pending.empty()) place_text(*root_);
  return true;
}

TVTLPatternRepeatSection* TVTLParser::OpenSection(TVTLPatternRepeatSection& parent,
                                                  const std::string& line,
                                                  const TReportCallback& report) {
  auto section = std::make_unique<TVTLPatternRepeatSection>("", -1, &parent);
  section->Parser = this;
  TVTLPatternRepeatSection* opened = section.get();
  parent.Sections.push_back(std::move(section));
  opened->Name = KeyValue(line, "NAME:").value_or("");
  const std::optional<std::string> value = KeyValue(line, "NUMREPEAT:");
  const std::optional<int32_t> count =
      value ? ParseInt32(ExpandText(*value)) : std::optional<int32_t>();
  if (!count || *count < 0) {
    if (report)
      report(kStepError, 0, 0, 0, 0,
             "Ungültiger Wert der \"NumRepeat\"-Eigenschaft in der Vorlagendatei " +
                 template_file_ + "!");
    return nullptr;
  }
  opened->NumRepeat = *count;
  return opened;
}

bool TVTLParser::CancelRequested() const { return context_.cancel && context_.cancel->Cancelled(); }

std::string TVTLParser::PageFileOf(const TVTLRecord& record, int template_index) {
  if (!record.PageFiles || template_index < 0 || template_index >= record.PageFiles->Count())
    return {};
  return record.PageFiles->Value(template_index);
}

bool TVTLParser::PlanPages(int template_index, const TReportCallback& report) {
  if (!root_ || !context_.properties || !context_.output) return false;
  record_index_ = 0;
  template_index_ = template_index;
  repetitions_ = 0;
  details_names_.reset();  // the properties may have changed since the last pass
  page_list_.clear();
  page_positions_.clear();
  // Most templates make at most a page per image: with room for that many the index is not
  // rebuilt again and again while a large gallery's pages are planned.
  page_positions_.reserve(context_.records.size());
  return Finish(root_->Execute(true, report));
}

bool TVTLParser::WritePages(int template_index, const TReportCallback& report) {
  if (!root_ || !context_.properties || !context_.output) return false;
  record_index_ = 0;
  page_index_ = 0;
  template_index_ = template_index;
  repetitions_ = 0;
  details_names_.reset();  // the properties may have changed since the last pass
  RefreshVariables();
  return Finish(root_->Execute(false, report));
}

bool TVTLParser::StartPage(bool planning, const TReportCallback& report) {
  const TVTLRecord& image = Image(record_index_);
  if (!planning) {
    current_page_file_ = PageFileOf(image, template_index_);
    out_file_ = context_.output->OpenCreated(current_page_file_);
    RefreshVariables();
    return true;
  }
  const std::string pattern = context_.properties->HTMLPatterns->Row(template_index_).Value(2);
  const std::string extension = pattern.empty() ? ".html" : "";
  const std::string old_name = RemoveFileExt(image.FileName());
  std::string path;
  switch (context_.output->Create(pattern, old_name, extension, path)) {
    case TPageFolder::TResult::kInvalidName:
      if (report)
        report(kStepError, 0, 0, 0, 0, "Ungültiger Dateiname " + PrintableName(pattern) + "!");
      return false;
    case TPageFolder::TResult::kFailed:
      throw EOutputError(path.empty() ? context_.output->Directory() + PrintableName(pattern)
                                      : PrintableName(path),
                         SystemErrorText(errno));
    case TPageFolder::TResult::kCreated:
      break;
  }
  current_page_file_ = path;
  page_positions_.emplace(PageKey(path), page_list_.size());
  page_list_.push_back(std::move(path));
  return true;
}

uint64_t TVTLParser::PageKey(std::string_view page) {
  return std::hash<std::string>{}(UpperCase(page));
}

std::optional<size_t> TVTLParser::PagePosition(std::string_view page) const {
  std::optional<size_t> position;
  auto [from, to] = page_positions_.equal_range(PageKey(page));
  for (auto it = from; it != to; ++it)
    if (SameTextIgnoreCase(page_list_[it->second], page) && (!position || it->second < *position))
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

void TVTLParser::AbandonPage() { out_file_ = TOutputFile(); }

void TVTLParser::NextPage() {
  ClosePage();
  ++page_index_;
}

void TVTLParser::ResetCounter() {
  record_index_ = 0;
  RefreshVariables();
}

void TVTLParser::MoveTo(int record_index, int page_index) {
  record_index_ = record_index;
  page_index_ = page_index;
  RefreshVariables();
}

void TVTLParser::ClosePage() {
  if (out_file_.IsOpen()) context_.output->Finish(out_file_);
}

void TVTLParser::ConsumeImage(bool planning) {
  if (planning) {
    TVTLRecord& image = Image(record_index_);
    if (image.PageFiles && template_index_ >= 0 && template_index_ < image.PageFiles->Count())
      image.PageFiles->SetValue(template_index_, current_page_file_);
  }
  ++record_index_;
  if (!planning) RefreshVariables();
}

bool TVTLParser::WriteText(const TVTLPatternStringSection& section, const TReportCallback& report) {
  const size_t room =
      context_.max_page_size - std::min<uint64_t>(out_file_.Size(), context_.max_page_size);
  std::string text;
  if (!SubstitutePlaceholders(ApplyConditions(section.Text), room, text)) {
    if (report)
      report(kStepError, 0, 0, 0, 0,
             "Die Seite " + current_page_file_ + " würde größer als " +
                 std::to_string(context_.max_page_size / (1024 * 1024)) + " MB (Vorlagendatei " +
                 template_file_ + ")!");
    return false;
  }
  out_file_.Write(text);
  return true;
}

bool TVTLParser::CountRepetition(const TReportCallback& report) {
  const int64_t limit = kMaxRepetitionsPerImage * std::max(1, ImageCount());
  if (++repetitions_ <= limit) return true;
  ReportEndlessLoop(report);
  return false;
}

}  // namespace vistrel
