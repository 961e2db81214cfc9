// The section tree of a template.
//
// A template is read into a tree: text blocks (TVTLPatternStringSection), repeated sections
// (TVTLPatternRepeatSection, which own their children) and counter resets
// (TVtlPatternResetSection). The top of the tree is the parser's Root, a repeated section run
// once per page. Running the tree (Execute) makes the pages of the template: once to plan them
// (names, which image stands on which page) and once to write them.
//
// The tree belongs to its TVTLParser and is run on the parser's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/progress.h"

namespace vistrel {

class TVTLParser;
class TVTLPatternRepeatSection;

class TVtlPatternSection {
 public:
  virtual ~TVtlPatternSection() = default;
  // Runs the section in the planning pass (`planning` true) or the writing pass; false when
  // the pass must end (an error has then been reported through `report`).
  [[nodiscard]] virtual bool Execute(bool planning, const TReportCallback& report) = 0;

  TVTLPatternRepeatSection* Parent = nullptr;  // the enclosing section; none for Root
  TVTLParser* Parser = nullptr;                // the parser that owns the tree
};

// A block of template lines, each preceded by CR LF.
class TVTLPatternStringSection : public TVtlPatternSection {
 public:
  explicit TVTLPatternStringSection(std::string text);
  // Writes the expanded text to the page in the writing pass; nothing in the planning pass.
  [[nodiscard]] bool Execute(bool planning, const TReportCallback& report) override;

  std::string Text;
};

// A region repeated NumRepeat times (0: until the images run out). A leaf, which has no
// children or only one text block, shows one image per repetition.
class TVTLPatternRepeatSection : public TVtlPatternSection {
 public:
  TVTLPatternRepeatSection(std::string name, int32_t num_repeat, TVTLPatternRepeatSection* parent);
  [[nodiscard]] bool Execute(bool planning, const TReportCallback& report) override;
  bool IsLeaf() const;

  std::string Name;
  std::vector<std::unique_ptr<TVtlPatternSection>> Sections;
  int32_t NumRepeat;

 private:
  // Runs the repetitions of one page (Root) or of the section.
  [[nodiscard]] bool RunRepetitions(bool planning, const TReportCallback& report);
  // Root: one page after another until the images run out.
  [[nodiscard]] bool RunPages(bool planning, const TReportCallback& report);
};

// Starts the images over from the first.
class TVtlPatternResetSection : public TVtlPatternSection {
 public:
  [[nodiscard]] bool Execute(bool planning, const TReportCallback& report) override;
};

}  // namespace vistrel
