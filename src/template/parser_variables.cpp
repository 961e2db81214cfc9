// The variable table of the template engine and placeholder substitution.
#include <algorithm>
#include <string>
#include <string_view>

#include "support/text.h"
#include "template/parser.h"

namespace vistrel {

namespace {

std::string StoredName(std::string_view name) {
  std::string stored = "%";
  stored += UpperCase(name);
  stored += '%';
  return stored;
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '\'':
        result += "&#39;";
        break;
      default:
        result.push_back(c);
    }
  }
  return result;
}

void TVTLParser::SetVariable(const std::string& name, const std::string& value) {
  std::string stored = StoredName(name);
  var_index_.emplace(stored, VarNames.size());  // an earlier entry of the name stays in front
  VarNames.push_back(std::move(stored));
  VarValues.push_back(value);
}

std::optional<std::string> TVTLParser::VariableValue(std::string_view name) const {
  std::string scratch;
  const std::string* value = Resolve(name, scratch);
  if (!value) return std::nullopt;
  return *value;
}

const std::string* TVTLParser::Resolve(std::string_view name, std::string& scratch) const {
  // "HTML:NAME" is the value of NAME with &, <, >, " and ' escaped, for attributes and text,
  // unless a variable has that very name; a few "HTML:" in front escape as many times.
  constexpr std::string_view kHtml = "HTML:";
  constexpr int kMaxEscapes = 8;
  int escapes = 0;
  while (true) {
    const std::string stored = StoredName(name);
    const std::string* value = nullptr;
    auto found = var_index_.find(stored);
    if (found != var_index_.end() && (!details_ || found->second < details_at_)) {
      value = &VarValues[found->second];
    } else if (auto property = details_ ? details_index_.find(stored) : details_index_.end();
               property != details_index_.end()) {
      value = &details_->Value(property->second);
    } else if (found != var_index_.end()) {
      value = &VarValues[found->second];
    }
    if (value) {
      if (escapes == 0) return value;
      scratch = *value;
      for (int i = 0; i < escapes; ++i) scratch = EscapeHtml(scratch);
      return &scratch;
    }
    if (escapes == kMaxEscapes || name.size() <= kHtml.size() ||
        !SameTextIgnoreCase(name.substr(0, kHtml.size()), kHtml))
      return nullptr;
    name.remove_prefix(kHtml.size());
    ++escapes;
  }
}

std::string TVTLParser::RelativePath(const std::string& path) const {
  const size_t skip = Properties ? Properties->OutputDirectory.size() : 0;
  return path.size() > skip ? path.substr(skip) : std::string();
}

std::string TVTLParser::PatternName(int row) const {
  return Properties->HTMLPatterns->Row(row).Value(1);
}

void TVTLParser::RefreshVariables() {
  VarNames.clear();
  VarValues.clear();
  var_index_.clear();
  details_ = nullptr;
  if (!Properties) return;
  const TVTL2dValueList& entered = Properties->RequiredValues;
  for (int i = 0; i < entered.Count(); ++i)
    SetVariable(entered.Row(i).Value(0), entered.Row(i).Value(1));

  const int images = ImageCount();
  const int templates = Properties->HTMLPatterns ? Properties->HTMLPatterns->Count() : 0;
  // With no images there is no first or last page; those variables are left out.
  if (images > 0) {
    const TVTLRecord& first = *Records.front();
    const TVTLRecord& last = *Records.back();
    for (int j = 0; j < templates; ++j) {
      SetVariable("FIRST_" + PatternName(j), RelativePath(PageFileOf(first, j)));
      SetVariable("LAST_" + PatternName(j), RelativePath(PageFileOf(last, j)));
    }
  }

  const std::optional<size_t> position = PagePosition(CurrentPageFile);
  if (position && TemplateIndex >= 0 && TemplateIndex < templates) {
    const size_t p = *position;
    const std::string name = PatternName(TemplateIndex);
    if (p + 1 < PageList.size()) SetVariable("NEXT_" + name, RelativePath(PageList[p + 1]));
    if (p > 0) SetVariable("PREVIOUS_" + name, RelativePath(PageList[p - 1]));
  }

  SetVariable("NUM_RECORDS", std::to_string(images));
  SetVariable("PATTERN_INDEX", std::to_string(PageIndex));
  SetVariable("NUM_PATTERNPAGES", std::to_string(PageList.size()));

  if (RecordIndex < 0 || RecordIndex >= images) return;
  const TVTLRecord& image = Image(RecordIndex);
  // The image's properties stand here in the table; their names are looked up in an index
  // made once for all images that share them, so long or many property names cost once per
  // run, not once per image.
  details_ = &image.Details;
  details_at_ = VarNames.size();
  if (details_names_ != image.Details.NamesStorage() ||
      details_index_size_ != image.Details.Names().size()) {
    details_names_ = image.Details.NamesStorage();
    details_index_size_ = image.Details.Names().size();
    details_index_.clear();
    for (int i = 0; i < image.Details.Count(); ++i)
      details_index_.emplace(StoredName(image.Details.Name(i)), i);  // the first one wins
  }
  for (int j = 0; j < templates; ++j) {
    const std::string name = PatternName(j);
    SetVariable(name, RelativePath(PageFileOf(image, j)));
    if (RecordIndex > 0)
      SetVariable("PREVIOUSRECORD_" + name, RelativePath(PageFileOf(Image(RecordIndex - 1), j)));
    if (RecordIndex < images - 1)
      SetVariable("NEXTRECORD_" + name, RelativePath(PageFileOf(Image(RecordIndex + 1), j)));
  }
  const TVTL2dValueList& variants = Properties->ImageVariants;
  for (int l = 0; l < variants.Count(); ++l) {
    const bool has_file = image.VariantFiles && l < image.VariantFiles->Count();
    SetVariable(variants.Row(l).Value(0),
                has_file ? RelativePath(image.VariantFiles->Value(l)) : std::string());
  }
  SetVariable("FNAME", image.FullPath());
  SetVariable("FNAME_NO_PATH", image.FileName);
  for (int i = 0; i < image.Metadata.Count(); ++i)
    SetVariable("JPGMETA:" + image.Metadata.Name(i), EscapeHtml(image.Metadata.Value(i)));
  SetVariable("IMG_INDEX", std::to_string(RecordIndex));

  // What skins need beyond the variables above, defined after all of them so that an entered
  // value, a property or a built-in of the same name still wins: the pixel size of each
  // variant's copy, the photo data ready for display (from the photo, so escaped like
  // JPGMETA), the image's number counted from 1, and the copy of the photo itself when the
  // originals are copied.
  for (int l = 0; l < variants.Count(); ++l) {
    if (static_cast<size_t>(l) >= image.VariantSizes.size()) break;
    const auto [width, height] = image.VariantSizes[static_cast<size_t>(l)];
    if (width == 0 || height == 0) continue;
    SetVariable(variants.Row(l).Value(0) + ":WIDTH", std::to_string(width));
    SetVariable(variants.Row(l).Value(0) + ":HEIGHT", std::to_string(height));
  }
  for (int i = 0; i < image.PhotoData.Count(); ++i)
    SetVariable("EXIF:" + image.PhotoData.Name(i), EscapeHtml(image.PhotoData.Value(i)));
  SetVariable("IMG_NUMBER", std::to_string(RecordIndex + 1));
  if (!image.OriginalFile.empty()) SetVariable("ORIGINAL", RelativePath(image.OriginalFile));
}

std::string TVTLParser::ExpandText(const std::string& text) {
  std::string result;
  SubstitutePlaceholders(ApplyConditions(text), kMaxPageSize, result);
  return result;
}

bool TVTLParser::SubstitutePlaceholders(const std::string& text, size_t limit,
                                        std::string& result) const {
  result.clear();
  result.reserve(std::min(text.size(), limit));
  std::string name;
  std::string scratch;
  bool in_name = false;
  auto append = [&](std::string_view part) {
    if (part.size() > limit - result.size()) {
      result.append(part.substr(0, limit - result.size()));
      return false;
    }
    result.append(part);
    return true;
  };
  // Runs of text between percent signs are copied whole.
  size_t i = 0;
  while (i < text.size()) {
    const size_t percent = std::min(text.find('%', i), text.size());
    const std::string_view run(text.data() + i, percent - i);
    if (in_name) {
      name.append(run);
    } else if (!append(run)) {
      return false;
    }
    if (percent == text.size()) break;
    i = percent + 1;
    if (in_name) {
      const std::string* value = Resolve(name, scratch);
      if (value && !append(*value)) return false;
      name.clear();
      in_name = false;
    } else if (i < text.size() && text[i] == '%') {
      if (!append("%")) return false;
      ++i;
    } else {
      in_name = true;
    }
  }
  // A name that never closes keeps its text, not its "%".
  return !in_name || append(name);
}

}  // namespace vistrel
