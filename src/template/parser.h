// The template engine: one TVTLParser per template of a skin.
//
// Reading (ReadTemplate) turns a template file into a tree of sections. Directive lines start
// with "[VTL]" or "<!--[VTL]"; their keyword, taken after the first "[VTL]" written in capitals,
// is NEWSECTION (with "NAME:" and "NUMREPEAT:"), ENDSECTION or RESETCOUNTER. Every other line
// is text.
//
// The variable table (RefreshVariables, SetVariable) maps placeholder names, stored as
// "%" + NAME IN CAPITALS + "%", to values: first the entered values, then the page structure,
// then the current image's properties, pages, variant files, file names, metadata and index.
// The first entry of a name wins; lookup is a hash lookup. The properties stand at their place
// in that order but are not copied into VarNames and VarValues: their names are indexed once
// for all images that share them. A placeholder "HTML:NAME" gives NAME's value escaped for
// HTML, "URL:NAME" gives it encoded as a URL path (EncodeUrlPath), unless a variable has that
// very name. ExpandText() resolves conditional blocks (ApplyConditions) and then replaces
// placeholders.
//
// Pages are made in two passes over the tree: PlanPages() names and creates every page file
// and records on which page each image stands (the image's PageFiles entry for this template);
// WritePages() writes the expanded text into those files. Pages come from a loop, not from
// recursion. A template whose pages or repetitions never run out of images, or that repeats its
// sections more than kMaxRepetitionsPerImage times per image in one pass, is stopped with
// "Endlosschleife in der Vorlagendatei <path>!"; a page is never written past kMaxPageSize.
//
// A pass stops before the next page when the cancel flag is set; it then returns false without
// a report of its own, and the page begun last is left unfinished in the page folder.
//
// Ownership: the parser owns its tree and tables. What it works with (the records, the
// settings, the page folder, the disk, the messages and the cancel flag) is borrowed through its
// TParserContext and must outlive the passes. One thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/gallery_properties.h"
#include "model/progress.h"
#include "model/record.h"
#include "support/output_file.h"
#include "template/page_folder.h"
#include "template/section.h"

namespace vistrel {

class TCancelFlag;
class TDisk;
class UserMessages;

// A condition name and its truth value at the moment a text is written.
struct TConditionSlot {
  std::string_view name;
  bool value = false;
};
using TConditionSlots = std::array<TConditionSlot, 16>;

// Limits against runaway templates, far beyond what any sensible skin needs: a skin shows each
// image a few times per pass (a grid, a list, a counter reset that starts over), not a thousand.
// One pass of a template repeats its sections at most this many times per image it shows (and
// this many times when it shows none).
inline constexpr int64_t kMaxRepetitionsPerImage = 1000;
// No page grows past 256 MB; neither does the expansion of one text.
inline constexpr size_t kMaxPageSize = 256u * 1024 * 1024;

// A conditional block without its end.
class EParserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a parser borrows from its run; all of it must outlive the passes.
struct TParserContext {
  TRecordView records;                                // the images the pages show
  const TVTLGalleryProperties* properties = nullptr;  // the run's settings; needed by the passes
  TPageFolder* output = nullptr;                      // where the pages go; needed by the passes
  TDisk* disk = nullptr;                              // where templates are read from
  UserMessages* messages = nullptr;     // where a reading error is shown; nowhere when none
  const TCancelFlag* cancel = nullptr;  // stops the passes between pages; none when null
  size_t max_page_size = kMaxPageSize;  // the largest page the writing pass makes
  std::string confine_to_folder;        // when set, only a template inside it is read
};

class TVTLParser {
 public:
  explicit TVTLParser(TParserContext context = {});
  ~TVTLParser();
  TVTLParser(const TVTLParser&) = delete;
  TVTLParser& operator=(const TVTLParser&) = delete;

  // Reads the template file into a new tree under Root(). False after an error was reported
  // (step -1) and, for a file that cannot be read, also shown through the context's messages.
  [[nodiscard]] bool ReadTemplate(const std::string& file_name, const TReportCallback& report);
  // The same for a template already read; `file_name` is used in messages only.
  [[nodiscard]] bool ReadTemplateText(std::string_view contents, const std::string& file_name,
                                      const TReportCallback& report);

  // Empties the variable table and fills it from the current state.
  void RefreshVariables();
  // Appends a variable; an earlier one of the same name stays in front of it.
  void SetVariable(const std::string& name, const std::string& value);
  // The value of a placeholder name (any case), or nullopt when no variable has that name.
  std::optional<std::string> VariableValue(std::string_view name) const;
  // Resolves conditional blocks, then replaces placeholders. The result ends at kMaxPageSize.
  std::string ExpandText(const std::string& text);
  // Resolves every conditional block of `text`. Throws EParserError for a block without end.
  std::string ApplyConditions(const std::string& text);

  // The planning and the writing pass for the template in row `template_index` of the
  // settings' HTMLPatterns. False after an error report. A page file that cannot be created
  // or written throws EOutputError; a conditional block without end throws EParserError.
  [[nodiscard]] bool PlanPages(int template_index, const TReportCallback& report);
  [[nodiscard]] bool WritePages(int template_index, const TReportCallback& report);

  // The tree read last, or null before a template was read.
  const TVTLPatternRepeatSection* Root() const { return root_.get(); }
  // The variable table: stored names ("%NAME%") and their values, in order. The current
  // image's properties are looked up apart and are not listed here.
  const std::vector<std::string>& VarNames() const { return var_names_; }
  const std::vector<std::string>& VarValues() const { return var_values_; }
  // Where a pass stands: the current image (0-based, in the context's records), the page being
  // made (from 1), and the pages of the template in the order the planning pass named them.
  int RecordIndex() const { return record_index_; }
  int PageIndex() const { return page_index_; }
  const std::vector<std::string>& PageList() const { return page_list_; }
  // Places the parser at image `record_index` on page `page_index` and refreshes the
  // variables, so that text is expanded as a pass standing there would expand it.
  void MoveTo(int record_index, int page_index);

  // Used by the sections while a pass runs.
  int ImageCount() const { return static_cast<int>(context_.records.size()); }
  // The image at a 0-based index of the context's records.
  TVTLRecord& Image(int index) const { return *context_.records[static_cast<size_t>(index)]; }
  bool CancelRequested() const;
  // Closes the page before (as complete) and counts the next one.
  void NextPage();
  [[nodiscard]] bool StartPage(bool planning, const TReportCallback& report);
  // Closes the page being written as complete.
  void ClosePage();
  // Closes the page being written without finishing it (the pass failed).
  void AbandonPage();
  void ConsumeImage(bool planning);
  // Starts the images over from the first (RESETCOUNTER).
  void ResetCounter();
  // Writes the expanded text of a block to the page; false (reported) when the page would
  // grow past the context's max_page_size.
  [[nodiscard]] bool WriteText(const TVTLPatternStringSection& section,
                               const TReportCallback& report);
  // Counts one repetition of a section; false (reported) past the limit of the pass.
  [[nodiscard]] bool CountRepetition(const TReportCallback& report);
  void ReportEndlessLoop(const TReportCallback& report) const;

 private:
  // Ends a pass: the last page is closed as complete when the pass succeeded.
  [[nodiscard]] bool Finish(bool ok);
  [[nodiscard]] bool ReadLines(const std::vector<std::string>& lines,
                               const TReportCallback& report);
  // Opens the section that the NEWSECTION directive `line` starts, as the last child of
  // `parent`; null after an error report (a count that is no whole number of at least 0).
  TVTLPatternRepeatSection* OpenSection(TVTLPatternRepeatSection& parent, const std::string& line,
                                        const TReportCallback& report);
  // The variables of the pass: the first and last page of each template, the pages before and
  // after the current one, and the counts.
  void SetPassVariables();
  // Places the properties of `image` at the table's end and indexes their names.
  void PlaceDetails(const TVTLRecord& image);
  void ReportReadError(const TReportCallback& report) const;
  std::string RelativePath(const std::string& path) const;
  std::string PatternName(int row) const;
  static uint64_t PageKey(std::string_view page);
  // The first position of `page` in page_list_, ignoring case.
  std::optional<size_t> PagePosition(std::string_view page) const;
  // The value of the variable `name` (any case), or null when there is none.
  const std::string* Find(std::string_view name) const;
  // The value of the placeholder `name`, or null when it has none; the value of a form
  // ("HTML:NAME", "URL:NAME") is made in `scratch`.
  const std::string* Resolve(std::string_view name, std::string& scratch) const;
  static std::string PageFileOf(const TVTLRecord& record, int template_index);
  // Replaces the placeholders of `text` into `result`; false when the result would be longer
  // than `limit` (it then holds the first `limit` bytes at most).
  bool SubstitutePlaceholders(const std::string& text, size_t limit, std::string& result) const;
  TConditionSlots BuildConditionSlots() const;
  [[nodiscard]] bool EvaluateOperand(const std::string& operand, const TConditionSlots& slots,
                                     bool& value);

  TParserContext context_;
  std::unique_ptr<TVTLPatternRepeatSection> root_;
  std::vector<std::string> var_names_;
  std::vector<std::string> var_values_;
  TOutputFile out_file_;
  int page_index_ = 0;
  int template_index_ = 0;
  int record_index_ = 0;
  std::vector<std::string> page_list_;
  std::string current_page_file_;
  std::string template_file_;
  int64_t repetitions_ = 0;                            // in the pass going on
  std::unordered_map<std::string, size_t> var_index_;  // stored name -> first entry
  // The current image's properties, which stand in the table at details_at_, with an index of
  // their names made once for the names list the images share.
  const TVTLValueList* details_ = nullptr;
  size_t details_at_ = 0;
  std::shared_ptr<const TNamesList> details_names_;  // held, so its address stays its own
  size_t details_index_size_ = 0;
  std::unordered_map<std::string, int> details_index_;  // stored name -> first property
  // Where each page stands in page_list_, by a hash of its name in capitals (a page is found
  // ignoring case); the names themselves are only in page_list_.
  std::unordered_multimap<uint64_t, size_t> page_positions_;
};

// Values from photo files are written into pages with &, <, >, " and ' as character references.
std::string EscapeHtml(const std::string& text);

// `text` as a relative URL path for href, src and srcset: every byte other than the unreserved
// characters of RFC 3986 (A-Z a-z 0-9 - . _ ~) and "/" becomes "%XX" (upper-case hex), UTF-8
// bytes and "%" included. "/" stays, as generated files may lie in sub-folders; ":" is always
// encoded, so no value reads as a scheme; a leading "//" keeps only its first slash, so no
// value names a host. The result holds no character that HTML would have to escape.
std::string EncodeUrlPath(std::string_view text);

}  // namespace vistrel
