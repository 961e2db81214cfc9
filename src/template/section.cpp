#include "template/section.h"

#include <utility>

#include "template/parser.h"

namespace vistrel {

TVTLPatternStringSection::TVTLPatternStringSection(std::string text) : Text(std::move(text)) {}

bool TVTLPatternStringSection::Execute(bool planning, const TReportCallback& report) {
  return planning || Parser->WriteText(*this, report);
}

TVTLPatternRepeatSection::TVTLPatternRepeatSection(std::string name, int32_t num_repeat,
                                                   TVTLPatternRepeatSection* parent)
    : Name(std::move(name)), NumRepeat(num_repeat) {
  Parent = parent;
}

bool TVTLPatternRepeatSection::IsLeaf() const {
  return Sections.empty() || (Sections.size() == 1 && dynamic_cast<const TVTLPatternStringSection*>(
                                                          Sections.front().get()) != nullptr);
}

bool TVTLPatternRepeatSection::Execute(bool planning, const TReportCallback& report) {
  return Parent ? RunRepetitions(planning, report) : RunPages(planning, report);
}

bool TVTLPatternRepeatSection::RunPages(bool planning, const TReportCallback& report) {
  TVTLParser& parser = *Parser;
  const int images = parser.ImageCount();
  int pages = 0;
  while (true) {
    parser.NextPage();
    if (parser.RecordIndex() >= images) return true;
    if (parser.CancelRequested()) return false;
    const int first_image = parser.RecordIndex();
    if (!parser.StartPage(planning, report)) return false;
    if (!RunRepetitions(planning, report)) return false;
    // A page that ends where it began would be followed by the same page for ever; more pages
    // than images means the pages go round in a circle.
    if (parser.RecordIndex() == first_image || ++pages > images) {
      parser.ReportEndlessLoop(report);  // the page begun is abandoned as the pass ends
      return false;
    }
  }
}

bool TVTLPatternRepeatSection::RunRepetitions(bool planning, const TReportCallback& report) {
  TVTLParser& parser = *Parser;
  const int images = parser.ImageCount();
  const bool leaf = IsLeaf();
  int64_t repetition = 0;
  int64_t idle_limit = static_cast<int64_t>(images) + 1;
  while ((NumRepeat == 0 || repetition < NumRepeat) && parser.RecordIndex() < images) {
    const int first_image = parser.RecordIndex();
    if (!parser.CountRepetition(report)) return false;
    for (const auto& child : Sections) {
      if (parser.RecordIndex() >= images &&
          dynamic_cast<TVTLPatternRepeatSection*>(child.get()) != nullptr)
        continue;
      if (!child->Execute(planning, report)) return false;
    }
    if (leaf) parser.ConsumeImage(planning);
    ++repetition;
    // Without a count, a repetition that shows no image is followed by the same repetition
    // for ever; more repetitions than images means they go round in a circle.
    if (NumRepeat == 0 && !leaf &&
        (parser.RecordIndex() == first_image || repetition > idle_limit)) {
      parser.ReportEndlessLoop(report);
      return false;
    }
  }
  return true;
}

bool TVtlPatternResetSection::Execute(bool /*planning*/, const TReportCallback& /*report*/) {
  Parser->ResetCounter();
  return true;
}

}  // namespace vistrel
