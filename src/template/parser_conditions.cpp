// Conditional blocks: "[VTL] CONDITION(...)" ... "[VTL] END CONDITION".
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <queue>
#include <string>
#include <vector>

#include "support/text.h"
#include "template/parser.h"

namespace vistrel {

namespace {

constexpr std::string_view kStartMarker = "[VTL] CONDITION";
constexpr std::string_view kEndMarker = "[VTL] END CONDITION";
constexpr std::string_view kDoesExist = "DOESEXIST";
// The argument of a DoesExist test starts after "DoesExist" and the character after it.
constexpr size_t kDoesExistPrefix = 10;

// The markers are ASCII; only the ASCII letters of a text can match them, whatever case.
char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool HasStartMarker(std::string_view text) {
  for (size_t i = text.find('['); i != std::string_view::npos; i = text.find('[', i + 1)) {
    if (text.size() - i < kStartMarker.size()) return false;
    size_t k = 1;
    while (k < kStartMarker.size() && FoldAscii(text[i + k]) == kStartMarker[k]) ++k;
    if (k == kStartMarker.size()) return true;
  }
  return false;
}

// The text while its blocks are resolved. Resolving only ever removes characters, so the text
// is always the original bytes that are still there, in their order: a doubly linked list over
// the positions makes each removal cost O(1), and a position in the original orders the
// characters as the text does. The markers of the text are kept as candidate positions in two
// min-heaps, checked when they are taken; a removal can join characters on both sides into a
// new marker, so the few characters around each removal are searched again. So a block whose
// condition holds costs its markers and condition, not the length of the text it spans; one
// that is dropped costs one pass over the positions it spans, to mark them removed.
class TBlockText {
 public:
  using TPos = uint32_t;

  explicit TBlockText(const std::string& text)
      : text_(text),
        end_(static_cast<TPos>(text.size())),
        next_(text.size() + 1),
        prev_(text.size() + 1),
        alive_(text.size(), 1) {
    for (TPos i = 0; i <= end_; ++i) {
      next_[i] = i + 1;
      prev_[i] = i == 0 ? kNone : i - 1;
    }
    std::string folded(text);
    for (char& c : folded) c = FoldAscii(c);
    for (size_t p = folded.find(kStartMarker); p != std::string::npos;
         p = folded.find(kStartMarker, p + 1))
      starts_.push(static_cast<TPos>(p));
    for (size_t p = folded.find(kEndMarker); p != std::string::npos;
         p = folded.find(kEndMarker, p + 1))
      ends_.push(static_cast<TPos>(p));
  }

  TPos End() const { return end_; }
  TPos Next(TPos p) const { return next_[p]; }
  char At(TPos p) const { return text_[p]; }
  // The first start or end marker still in the text, or End().
  TPos FirstStart() { return First(starts_, kStartMarker); }
  TPos FirstEnd() { return First(ends_, kEndMarker); }

  // The position `count` characters after `p` (or End()).
  TPos Skip(TPos p, size_t count) const {
    for (size_t k = 0; k < count && p != end_; ++k) p = next_[p];
    return p;
  }
  // Removes the characters from `first` up to, not including, `after` (both there or End());
  // returns `after`. Positions between them that were removed before stay removed.
  TPos RemoveUpTo(TPos first, TPos after) {
    if (first == after) return after;
    const TPos before = prev_[first];
    std::fill(alive_.begin() + first, alive_.begin() + (after == end_ ? end_ : after), 0);
    if (before != kNone)
      next_[before] = after;
    else
      head_ = after;
    prev_[after] = before;
    return after;
  }
  // The character before `p` (which is there, or End()), or kNone at the start.
  TPos Before(TPos p) const { return prev_[p]; }

  // After a removal between `left` (the last character before it, or kNone) and `right` (the
  // first after it, or End()): markers that the join made are added to the candidates.
  void CheckJoin(TPos left, TPos right) {
    constexpr size_t kReach = kEndMarker.size() - 1;
    std::array<TPos, 2 * kReach> positions;
    std::array<char, 2 * kReach> window;
    size_t join = 0;
    for (TPos p = left; p != kNone && join < kReach; p = prev_[p]) ++join;
    size_t size = join;
    for (TPos p = left; p != kNone && size > 0; p = prev_[p]) positions[--size] = p;
    size = join;
    for (TPos p = right; p != end_ && size < join + kReach; p = next_[p]) positions[size++] = p;
    for (size_t k = 0; k < size; ++k) window[k] = FoldAscii(text_[positions[k]]);
    const std::string_view view(window.data(), size);
    for (auto [marker, heap] : {std::pair{kStartMarker, &starts_}, std::pair{kEndMarker, &ends_}}) {
      for (size_t i = view.find(marker); i != std::string_view::npos; i = view.find(marker, i + 1))
        if (i < join && i + marker.size() > join) heap->push(positions[i]);
    }
  }

  std::string Result() const {
    std::string result;
    result.reserve(text_.size());
    // Runs of characters that are still there are copied whole.
    for (TPos p = head_; p != end_;) {
      TPos q = p;
      while (next_[q] == q + 1 && q + 1 != end_) ++q;
      result.append(text_, p, q + 1 - p);
      p = next_[q];
    }
    return result;
  }

  static constexpr TPos kNone = std::numeric_limits<TPos>::max();

 private:
  using THeap = std::priority_queue<TPos, std::vector<TPos>, std::greater<TPos>>;

  TPos First(THeap& heap, std::string_view marker) {
    while (!heap.empty()) {
      const TPos p = heap.top();
      if (Holds(p, marker)) return p;
      heap.pop();
    }
    return end_;
  }
  bool Holds(TPos p, std::string_view marker) const {
    if (p >= end_ || !alive_[p]) return false;
    for (const char c : marker) {
      if (p == end_ || FoldAscii(text_[p]) != c) return false;
      p = next_[p];
    }
    return true;
  }

  const std::string& text_;
  const TPos end_;
  TPos head_ = 0;
  std::vector<TPos> next_, prev_;
  std::vector<char> alive_;
  THeap starts_, ends_;
};

}  // namespace

TConditionSlots TVTLParser::BuildConditionSlots() const {
  const int images = ImageCount();
  const bool has_image = record_index_ >= 0 && record_index_ < images;
  const bool portrait = has_image && Image(record_index_).Width() < Image(record_index_).Height();
  return {{
      {"ISFIRSTIMAGE", record_index_ == 0},
      {"ISLASTIMAGE", record_index_ == images - 1},
      {"IMGINDEXISEVEN", record_index_ % 2 == 0},
      {"ISFIRSTPATTERNPAGE", page_index_ == 1},
      {"ISLASTPATTERNPAGE", page_index_ == static_cast<int>(page_list_.size())},
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
  if (!HasStartMarker(input)) return input;
  TBlockText text(input);
  using TPos = TBlockText::TPos;
  // The truth values stand for the whole text: nothing in it changes the current image or page.
  std::optional<TConditionSlots> slots;
  for (TPos start = text.FirstStart(); start != text.End(); start = text.FirstStart()) {
    // An end marker before the first start marker leaves that start marker without an end.
    if (text.FirstEnd() < start)
      throw EParserError("Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!");
    // The marker, everything up to the first "(" and that "(" go.
    const TPos left = text.Before(start);
    TPos p = text.Skip(start, kStartMarker.size());
    while (p != text.End() && text.At(p) != '(') p = text.Next(p);
    if (p != text.End()) p = text.Next(p);
    // Then the condition, up to its ")" at depth 0, without blanks.
    std::string condition;
    int depth = 0;
    while (p != text.End()) {
      const char c = text.At(p);
      p = text.Next(p);
      if (c == ')' && depth <= 0) break;
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (c != ' ') condition.push_back(c);
    }
    text.RemoveUpTo(start, p);
    text.CheckJoin(left, p);

    const size_t equals = condition.find('=');
    const std::string left_operand = condition.substr(0, equals);
    const std::string right_operand =
        equals == std::string::npos ? "TRUE" : condition.substr(equals + 1);
    bool left_value = false;
    bool right_value = false;
    if (!slots) slots = BuildConditionSlots();
    const bool holds = EvaluateOperand(left_operand, *slots, left_value) &&
                       EvaluateOperand(right_operand, *slots, right_value) &&
                       left_value == right_value;

    const TPos end = text.FirstEnd();
    if (end == text.End() || end < p)
      throw EParserError("Fehler beim Lesen der Vorlagendatei! Bedingungsende fehlt!");
    // A true block loses its end marker; a false one its content as well.
    const TPos from = holds ? end : p;
    const TPos before = text.Before(from);
    const TPos after = text.RemoveUpTo(from, text.Skip(end, kEndMarker.size()));
    text.CheckJoin(before, after);
  }
  return text.Result();
}

}  // namespace vistrel
