#include "model/photo_data.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "support/text.h"

namespace vistrel {

namespace {

// Names longer than this are no camera's or lens's names.
constexpr size_t kMaxNameLength = 128;

// `value` with `decimals` places, a decimal comma, and no ",0" at the end. Independent of the
// program's locale.
std::string GermanNumber(double value, int decimals) {
  std::array<char, 64> buffer;
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc()) return {};
  std::string text(buffer.data(), end);
  const size_t dot = text.find('.');
  if (dot == std::string::npos) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.')
    text.pop_back();
  else
    text[dot] = ',';
  return text;
}

std::string DecimalDegrees(double value) {
  std::array<char, 64> buffer;
  const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::fixed, 6);
  return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

// Control characters become blanks; blanks at the ends go and runs of them become one.
std::string CleanName(std::string_view name) {
  std::string clean;
  for (const char c : name) {
    const bool blank = static_cast<unsigned char>(c) <= 0x20;
    if (blank && (clean.empty() || clean.back() == ' ')) continue;
    clean.push_back(blank ? ' ' : c);
  }
  while (!clean.empty() && clean.back() == ' ') clean.pop_back();
  return clean.size() > kMaxNameLength ? std::string() : clean;
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

// The `count` digits at `pos` of `text` as a number, or -1.
int Digits(std::string_view text, size_t pos, size_t count) {
  if (pos + count > text.size()) return -1;
  int value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

struct TDateTime {
  int year, month, day, hour, minute, second;
};

// "YYYY:MM:DD HH:MM[:SS]" (dashes allowed in the date), checked to be a real moment. Seconds
// that are missing or no number count as 0: the date and time shown do not need them.
std::optional<TDateTime> ParseDateTime(std::string_view text) {
  if (text.size() < 16 || (text[4] != ':' && text[4] != '-') || text[7] != text[4] ||
      (text[10] != ' ' && text[10] != 'T') || text[13] != ':')
    return std::nullopt;
  const int second = text.size() > 16 && text[16] == ':' ? Digits(text, 17, 2) : -1;
  const TDateTime moment{Digits(text, 0, 4),  Digits(text, 5, 2),
                         Digits(text, 8, 2),  Digits(text, 11, 2),
                         Digits(text, 14, 2), second >= 0 && second <= 59 ? second : 0};
  if (moment.year < 1800 || moment.month < 1 || moment.month > 12 || moment.day < 1 ||
      moment.hour < 0 || moment.hour > 23 || moment.minute < 0 || moment.minute > 59)
    return std::nullopt;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (moment.year % 4 == 0 && moment.year % 100 != 0) || moment.year % 400 == 0;
  if (moment.day > kDays[moment.month - 1] || (moment.month == 2 && moment.day == 29 && !leap))
    return std::nullopt;
  return moment;
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// Words a maker's name ends in that say what kind of company it is, not which.
bool IsCompanyWord(const std::string& word) {
  static const char* const kWords[] = {
      "CORPORATION", "CORP.", "CORP", "COMPANY", "CO.",     "CO.,LTD.",    "CO.,",
      "LTD.",        "LTD",   "INC.", "INC",     "IMAGING", "ELECTRONICS", "ELECTRIC",
      "OPTICAL",     "GMBH",  "AG",   "DIGITAL", "CAMERA"};
  const std::string upper = UpperCase(word);
  for (const char* company : kWords)
    if (upper == company) return true;
  return false;
}

}  // namespace

std::optional<double> TRational::Value() const {
  if (denominator == 0) return std::nullopt;
  return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::string FormatAperture(TRational f_number) {
  const std::optional<double> value = f_number.Value();
  if (!value || *value < 0.5 || *value > 256) return {};
  return "f/" + GermanNumber(*value, 1);
}

std::string FormatExposureTime(TRational seconds) {
  const std::optional<double> value = seconds.Value();
  if (!value || *value <= 0 || *value > 24 * 3600) return {};
  // Short times as the fraction cameras show, long ones in seconds.
  if (*value < 0.3) {
    const double denominator = std::round(1 / *value);
    if (denominator > 1e7) return {};
    return "1/" + GermanNumber(denominator, 0) + " s";
  }
  return GermanNumber(*value, 1) + " s";
}

std::string FormatFocalLength(TRational millimetres) {
  const std::optional<double> value = millimetres.Value();
  if (!value || *value <= 0 || *value > 10000) return {};
  return GermanNumber(*value, *value < 10 ? 1 : 0) + " mm";
}

std::string FormatIso(int64_t iso) {
  if (iso < 1 || iso > 10'000'000) return {};
  return std::to_string(iso);
}

std::string FormatDate(std::string_view exif_date_time) {
  const std::optional<TDateTime> moment = ParseDateTime(exif_date_time);
  if (!moment) return {};
  return TwoDigits(moment->day) + "." + TwoDigits(moment->month) + "." +
         std::to_string(moment->year);
}

std::string FormatTime(std::string_view exif_date_time) {
  const std::optional<TDateTime> moment = ParseDateTime(exif_date_time);
  if (!moment) return {};
  return TwoDigits(moment->hour) + ":" + TwoDigits(moment->minute);
}

std::optional<std::string> SortableDateTime(std::string_view exif_date_time) {
  const std::optional<TDateTime> moment = ParseDateTime(exif_date_time);
  if (!moment) return std::nullopt;
  // ParseDateTime admits four-digit years only.
  return std::to_string(moment->year) + "-" + TwoDigits(moment->month) + "-" +
         TwoDigits(moment->day) + " " + TwoDigits(moment->hour) + ":" + TwoDigits(moment->minute) +
         ":" + TwoDigits(moment->second);
}

std::string FormatName(std::string_view name) { return CleanName(name); }

std::string FormatInterpretedName(std::string_view name) {
  std::string clean = CleanName(name);
  const std::string upper = UpperCase(clean);
  const bool has_letter = std::any_of(clean.begin(), clean.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
  // exiv2 joins the lenses a number may stand for with " | ", and says "Bad value" for a code
  // it cannot read: neither names the lens.
  if (!has_letter || clean.front() == '(' || upper == "N/A" || upper.starts_with("UNKNOWN") ||
      upper == "BAD VALUE" || clean.find(" | ") != std::string::npos)
    return {};
  return clean;
}

std::string FormatInterpretedIso(std::string_view iso) {
  const std::string clean = CleanName(iso);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(clean.data(), clean.data() + clean.size(), value);
  if (error != std::errc() || end != clean.data() + clean.size()) return {};
  return FormatIso(value);
}

std::string FormatCamera(std::string_view make_text, std::string_view model_text) {
  std::vector<std::string> make = Words(CleanName(make_text));
  while (make.size() > 1 && IsCompanyWord(make.back())) make.pop_back();
  const std::string model = CleanName(model_text);
  std::string maker;
  for (const std::string& word : make) maker += (maker.empty() ? "" : " ") + word;
  if (model.empty()) return maker;
  // "NIKON D5100" by "NIKON CORPORATION" needs no maker in front.
  if (maker.empty()) return model;
  const std::vector<std::string> model_words = Words(model);
  const std::string model_first = UpperCase(model_words.front());
  for (const std::string& word : make)
    if (UpperCase(word) == model_first) return model;
  return maker + " " + model;
}

std::string FormatGpsPosition(const TRational latitude[3], std::string_view latitude_ref,
                              const TRational longitude[3], std::string_view longitude_ref) {
  auto degrees = [](const TRational parts[3], double limit) -> std::optional<double> {
    const std::optional<double> d = parts[0].Value();
    const std::optional<double> m = parts[1].Value();
    const std::optional<double> s = parts[2].Value();
    if (!d || !m || !s || *d < 0 || *m < 0 || *m >= 60 || *s < 0 || *s >= 60) return std::nullopt;
    const double value = *d + *m / 60 + *s / 3600;
    if (value > limit) return std::nullopt;
    return value;
  };
  const std::string lat_ref = UpperCase(CleanName(latitude_ref));
  const std::string lon_ref = UpperCase(CleanName(longitude_ref));
  if ((lat_ref != "N" && lat_ref != "S") || (lon_ref != "E" && lon_ref != "W")) return {};
  const std::optional<double> lat = degrees(latitude, 90);
  const std::optional<double> lon = degrees(longitude, 180);
  if (!lat || !lon) return {};
  return DecimalDegrees(lat_ref == "S" ? -*lat : *lat) + "," +
         DecimalDegrees(lon_ref == "W" ? -*lon : *lon);
}

}  // namespace vistrel
