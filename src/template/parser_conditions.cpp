// Conditional blocks: "[VTL] CONDITION(...)" ... "[VTL] END CONDITION".
#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "support/text.h"
#include "template/parser.h"

namespace vistrel {

namespace {

constexpr std::string_view kStartMarker = "[VTL] CONDITION";
constexpr std::string_view kEndMarker = "[VTL] END CONDITION";
constexpr std::string_view kDoesExist = "DOESEXIST";
// The argument of a DoesExist test starts after "DoesExist" and the character after it.
constexpr size_t kDoesExistPrefix = 10;

}  // namespace

TConditionSlots TVTLParser::BuildConditionSlots() const {
  const int images = ImageCount();
  const bool has_image = RecordIndex >= 0 && RecordIndex < images;
  const bool portrait = has_image && Image(RecordIndex).Width() < Image(RecordIndex).Height();
  return {{
      {"ISFIRSTIMAGE", RecordIndex == 0},
      {"ISLASTIMAGE", RecordIndex == images - 1},
      {"IMGINDEXISEVEN", RecordIndex % 2 == 0},
      {"ISFIRSTPATTERNPAGE", PageIndex == 1},
      {"ISLASTPATTERNPAGE", PageIndex == static_cast<int>(PageList.size())},
      {"TRUE", true},
      {"FALSE", false},
      {has_image ? "ISPORTRAIT" : "", has_image && portrait},
      {has_image ? "ISLANDSCAPE" : "", has_image && !portrait},
  }};  // slots 9 to 15: empty names, false
}

bool TVTLParser::EvaluateOperand(const std::string& operand, const TConditionSlots& slots,
                                 bool& value) {
  for (const TConditionSlot& slot : slots) {
    if (SameTextIgnoreCase(slot.name, operand)) {
      value = slot.value;
      return true;
    }
  }
  if (operand.size() >= kDoesExist.size() &&
      SameTextIgnoreCase(std::string_view(operand).substr(0, kDoesExist.size()), kDoesExist)) {
    const std::string argument =
        operand.size() > kDoesExistPrefix
            ? operand.substr(kDoesExistPrefix, operand.size() - kDoesExistPrefix - 1)
            : std::string();
    value = !ExpandText(argument).empty();
    return true;
  }
  return false;
}

std::string TVTLParser::ApplyConditions(const std::string& input) {
  // The text is kept as `out` (resolved, in front) followed by buf[pos:] (still to be read).
  // Removing a marker, a condition or a false block only moves `pos`; removing the end marker of
  // a true block moves the block's content over it. So each block costs its own length, and a
  // text with thousands of blocks is resolved in one pass. A removal can join characters on
  // both sides into a new marker; the last few resolved characters are therefore put back in
  // front of `pos` before each search.
  std::string buf = input;
  std::string upper = UpperCase(buf);
  std::string out;
  size_t pos = 0;
  const size_t kLookBehind = kEndMarker.size() - 1;
  // The truth values stand for the whole text: nothing in it changes the current image or page.
  std::optional<TConditionSlots> slots;
  while (true) {
    const size_t back = std::min(kLookBehind, out.size());
    if (back > 0) {
      pos -= back;
      const auto tail = out.end() - static_cast<std::ptrdiff_t>(back);
      std::copy(tail, out.end(), buf.begin() + static_cast<std::ptrdiff_t>(pos));
      const std::string tail_upper = UpperCase(std::string_view(&*tail, back));
      std::copy(tail_upper.begin(), tail_upper.end(),
                upper.begin() + static_cast<std::ptrdiff_t>(pos));
      out.erase(tail, out.end());
    }
    const size_t start = upper.find(kStartMarker, pos);
    if (start == std::string::npos) return out.append(buf, pos);
    // An end marker before the first start marker leaves that start marker without an end.
    const size_t stray_end = upper.find(kEndMarker, pos);
    if (stray_end < start)
      throw EParserError("Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!");
    out.append(buf, pos, start - pos);
    pos = start + kStartMarker.size();
    const size_t open = buf.find('(', pos);
    pos = open == std::string::npos ? buf.size() : open + 1;

    std::string condition;
    int depth = 0;
    while (pos < buf.size()) {
      const char c = buf[pos++];
      if (c == ')' && depth <= 0) break;
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c != ' ') condition.push_back(c);
    }

    const size_t equals = condition.find('=');
    const std::string left = condition.substr(0, equals);
    const std::string right = equals == std::string::npos ? "TRUE" : condition.substr(equals + 1);
    bool left_value = false;
    bool right_value = false;
    if (!slots) slots = BuildConditionSlots();
    const bool holds = EvaluateOperand(left, *slots, left_value) &&
                       EvaluateOperand(right, *slots, right_value) && left_value == right_value;

    const size_t end_marker = upper.find(kEndMarker, pos);
    if (end_marker == std::string::npos)
      throw EParserError("Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!");
    if (holds) {
      // Keep the content: move it forward over the end marker.
      std::copy_backward(buf.begin() + static_cast<std::ptrdiff_t>(pos),
                         buf.begin() + static_cast<std::ptrdiff_t>(end_marker),
                         buf.begin() + static_cast<std::ptrdiff_t>(end_marker + kEndMarker.size()));
      std::copy_backward(
          upper.begin() + static_cast<std::ptrdiff_t>(pos),
          upper.begin() + static_cast<std::ptrdiff_t>(end_marker),
          upper.begin() + static_cast<std::ptrdiff_t>(end_marker + kEndMarker.size()));
      pos += kEndMarker.size();
    } else {
      pos = end_marker + kEndMarker.size();
    }
  }
}

}  // namespace vistrel
