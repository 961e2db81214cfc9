// The variable table of the template engine and placeholder substitution.
#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "model/photo_location.h"
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

std::string EncodeUrlPath(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    // A value that starts with "//" would name a host: its second slash is encoded, so it
    // stays a path.
    const bool separator = c == '/' && !(i == 1 && text[0] == '/');
    if (unreserved || separator) {
      result.push_back(static_cast<char>(c));
    } else {
      result.push_back('%');
      result.push_back(kHex[c >> 4]);
      result.push_back(kHex[c & 0x0F]);
    }
  }
  return result;
}

void TVTLParser::SetVariable(const std::string& name, const std::string& value) {
  std::string stored = StoredName(name);
  var_index_.emplace(stored, var_names_.size());  // an earlier entry of the name stays in front
  var_names_.push_back(std::move(stored));
  var_values_.push_back(value);
}

std::optional<std::string> TVTLParser::VariableValue(std::string_view name) const {
  std::string scratch;
  const std::string* value = Resolve(name, scratch);
  if (!value) return std::nullopt;
  return *value;
}

const std::string* TVTLParser::Find(std::string_view name) const {
  const std::string stored = StoredName(name);
  auto found = var_index_.find(stored);
  if (found != var_index_.end() && (!details_ || found->second < details_at_))
    return &var_values_[found->second];
  if (details_) {
    if (auto property = details_index_.find(stored); property != details_index_.end())
      return &details_->Value(property->second);
  }
  return found != var_index_.end() ? &var_values_[found->second] : nullptr;
}

const std::string* TVTLParser::Resolve(std::string_view name, std::string& scratch) const {
  // "HTML:NAME" is the value of NAME with &, <, >, " and ' escaped, for attributes and text;
  // "URL:NAME" is the value of NAME as a URL path, for href, src and srcset. A variable that
  // has the whole name wins over the form. Forms may stand in front of each other, each
  // applied to the value of what follows it: "HTML:HTML:X" escapes twice, "URL:HTML:X"
  // encodes the escaped value.
  constexpr std::string_view kHtml = "HTML:";
  constexpr std::string_view kUrl = "URL:";
  constexpr int kMaxForms = 8;
  std::array<bool, kMaxForms> url_form{};  // per form in front of the name: URL (or HTML)
  int forms = 0;
  while (true) {
    if (const std::string* value = Find(name)) {
      if (forms == 0) return value;
      scratch = *value;
      for (int i = forms - 1; i >= 0; --i)
        scratch = url_form[i] ? EncodeUrlPath(scratch) : EscapeHtml(scratch);
      return &scratch;
    }
    if (forms == kMaxForms) return nullptr;
    auto starts_with = [&](std::string_view form) {
      return name.size() > form.size() && SameTextIgnoreCase(name.substr(0, form.size()), form);
    };
    if (starts_with(kHtml)) {
      name.remove_prefix(kHtml.size());
    } else if (starts_with(kUrl)) {
      url_form[forms] = true;
      name.remove_prefix(kUrl.size());
    } else {
      return nullptr;
    }
    ++forms;
  }
}

std::string TVTLParser::RelativePath(const std::string& path) const {
  const size_t skip = context_.properties ? context_.properties->OutputDirectory.size() : 0;
  return path.size() > skip ? path.substr(skip) : std::string();
}

std::string TVTLParser::PatternName(int row) const {
  return context_.properties->HTMLPatterns->Row(row).Value(1);
}

void TVTLParser::SetPassVariables() {
  const int images = ImageCount();
  const int templates =
      context_.properties->HTMLPatterns ? context_.properties->HTMLPatterns->Count() : 0;
  // With no images there is no first or last page; those variables are left out.
  if (images > 0) {
    const TVTLRecord& first = *context_.records.front();
    const TVTLRecord& last = *context_.records.back();
    for (int j = 0; j < templates; ++j) {
      SetVariable("FIRST_" + PatternName(j), RelativePath(PageFileOf(first, j)));
      SetVariable("LAST_" + PatternName(j), RelativePath(PageFileOf(last, j)));
    }
  }

  const std::optional<size_t> position = PagePosition(current_page_file_);
  if (position && template_index_ >= 0 && template_index_ < templates) {
    const size_t p = *position;
    const std::string name = PatternName(template_index_);
    if (p + 1 < page_list_.size()) SetVariable("NEXT_" + name, RelativePath(page_list_[p + 1]));
    if (p > 0) SetVariable("PREVIOUS_" + name, RelativePath(page_list_[p - 1]));
  }

  SetVariable("NUM_RECORDS", std::to_string(images));
  SetVariable("PATTERN_INDEX", std::to_string(page_index_));
  SetVariable("NUM_PATTERNPAGES", std::to_string(page_list_.size()));
}

void TVTLParser::PlaceDetails(const TVTLRecord& image) {
  // The image's properties stand here in the table; their names are looked up in an index
  // made once for all images that share them, so long or many property names cost once per
  // run, not once per image.
  details_ = &image.Details;
  details_at_ = var_names_.size();
  if (details_names_ != image.Details.NamesStorage() ||
      details_index_size_ != image.Details.Names().size()) {
    details_names_ = image.Details.NamesStorage();
    details_index_size_ = image.Details.Names().size();
    details_index_.clear();
    for (int i = 0; i < image.Details.Count(); ++i)
      details_index_.emplace(StoredName(image.Details.Name(i)), i);  // the first one wins
  }
}

void TVTLParser::RefreshVariables() {
  var_names_.clear();
  var_values_.clear();
  var_index_.clear();
  details_ = nullptr;
  if (!context_.properties) return;
  for (const TEnteredValue& entered : context_.properties->RequiredValues)
    SetVariable(entered.name, entered.value);
  SetPassVariables();

  const int images = ImageCount();
  const int templates =
      context_.properties->HTMLPatterns ? context_.properties->HTMLPatterns->Count() : 0;
  if (record_index_ < 0 || record_index_ >= images) return;
  const TVTLRecord& image = Image(record_index_);
  PlaceDetails(image);
  for (int j = 0; j < templates; ++j) {
    const std::string name = PatternName(j);
    SetVariable(name, RelativePath(PageFileOf(image, j)));
    if (record_index_ > 0)
      SetVariable("PREVIOUSRECORD_" + name, RelativePath(PageFileOf(Image(record_index_ - 1), j)));
    if (record_index_ < images - 1)
      SetVariable("NEXTRECORD_" + name, RelativePath(PageFileOf(Image(record_index_ + 1), j)));
  }
  const std::vector<TImageVariant>& variants = context_.properties->ImageVariants;
  for (int l = 0; l < static_cast<int>(variants.size()); ++l) {
    const bool has_file = image.VariantFiles && l < image.VariantFiles->Count();
    SetVariable(variants[static_cast<size_t>(l)].name,
                has_file ? RelativePath(image.VariantFiles->Value(l)) : std::string());
  }
  SetVariable("FNAME", image.FullPath());
  SetVariable("FNAME_NO_PATH", image.FileName());
  // A gallery without places defines none of the variables that name one: they are empty.
  const bool omit_location = context_.properties->OmitLocation;
  for (int i = 0; i < image.Metadata.Count(); ++i)
    if (!omit_location || !IsLocationMetadata(image.Metadata.Name(i)))
      SetVariable("JPGMETA:" + image.Metadata.Name(i), EscapeHtml(image.Metadata.Value(i)));
  SetVariable("IMG_INDEX", std::to_string(record_index_));

  // What skins need beyond the variables above, defined after all of them so that an entered
  // value, a property or a built-in of the same name still wins: the pixel size of each
  // variant's copy, the photo data and the photo's own captions ready for display (from the
  // photo, so escaped like JPGMETA), the image's number counted from 1, and the copy of the photo
  // itself when the originals are copied.
  for (size_t l = 0; l < variants.size() && l < image.VariantSizes.size(); ++l) {
    const auto [width, height] = image.VariantSizes[l];
    if (width == 0 || height == 0) continue;
    SetVariable(variants[l].name + ":WIDTH", std::to_string(width));
    SetVariable(variants[l].name + ":HEIGHT", std::to_string(height));
  }
  for (int i = 0; i < image.PhotoData.Count(); ++i)
    if (!omit_location || !IsLocationPhotoData(image.PhotoData.Name(i)))
      SetVariable("EXIF:" + image.PhotoData.Name(i), EscapeHtml(image.PhotoData.Value(i)));
  for (int i = 0; i < image.Captions.Count(); ++i)
    if (!omit_location || !IsLocationCaption(image.Captions.Name(i)))
      SetVariable("META:" + image.Captions.Name(i), EscapeHtml(image.Captions.Value(i)));
  SetVariable("IMG_NUMBER", std::to_string(record_index_ + 1));
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
