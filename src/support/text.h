// Text helpers shared by every subsystem: letter case, integers and text lines.
//
// All text in Vistrel is a byte string (normally UTF-8) that is read and written unchanged.
// Wherever the program compares names without regard to letter case or converts them to capital
// letters, it goes through UpperCase() below, which folds ASCII a-z and the Latin-1 letters
// U+00E0..U+00FE (except U+00F7) in their two-byte UTF-8 form. Folding never changes the length
// of a text, so a position found in the folded text is the same position in the original.
//
// Free functions without state; safe to call from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// The text with ASCII and Latin-1 small letters replaced by capitals.
std::string UpperCase(std::string_view text);

// True when both texts are equal after UpperCase().
bool SameTextIgnoreCase(std::string_view a, std::string_view b);

// Position of the first occurrence of `pattern` in `text` at or after `from`, both compared
// after UpperCase(); std::string_view::npos when there is none. An empty pattern is found at
// `from`.
size_t FindIgnoreCase(std::string_view text, std::string_view pattern, size_t from = 0);

// A 32-bit signed integer written as text: leading blanks are skipped, then an optional "+" or
// "-", then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X". Nothing may
// follow the digits; an empty text, a missing digit or a value outside 32 bits gives nullopt.
[[nodiscard]] std::optional<int32_t> ParseInt32(std::string_view text);

// ParseInt32(), or `fallback` when the text is not such a number.
int32_t ParseInt32Or(std::string_view text, int32_t fallback);

// Splits file contents into text lines. A line ends at LF or CR LF; a CR that is not followed
// by LF is dropped and the line goes on after it; a byte 0x1A (Ctrl-Z) ends the input. Line
// ends are not part of the lines, and a final line end does not start a further, empty line.
std::vector<std::string> SplitTextLines(std::string_view contents);
// The same lines handed to `visit` one by one, without keeping them; a visit that returns false
// ends the walk, and the result is then false.
bool ForEachTextLine(std::string_view contents,
                     const std::function<bool(const std::string& line)>& visit);

// The value of a hexadecimal digit (0-9, a-f, A-F), or -1.
int HexDigitValue(char c);

// True for the bytes that count as blanks when fields are trimmed: codes 32 and below.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// `name` for a message: every control character (codes 0 to 31) written as "\xNN", so a name
// holding a NUL or a line break shows as what it is.
std::string PrintableName(std::string_view name);

// The text without blanks (codes 32 and below) at either end.
std::string_view Trim(std::string_view text);

// True when `text` is well-formed UTF-8: no stray continuation byte, no sequence cut short, no
// overlong form, no surrogate and nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);
// The length in bytes of the well-formed UTF-8 character that starts at `pos` (< size) of
// `text`, or 0 when none does.
size_t Utf8SequenceLength(std::string_view text, size_t pos);
// Text of an older eight-bit encoding as UTF-8: taken as it is when it is valid UTF-8 already
// (what most programs write today), else read as Windows-1252 (Latin-1 with the printable
// characters Windows puts at 0x80..0x9F; the five codes it leaves free are dropped).
std::string LegacyTextToUtf8(std::string_view text);
// UTF-16 in little-endian byte order as UTF-8, up to the first NUL character; an odd last byte
// and unpaired surrogates are dropped.
std::string Utf16LeToUtf8(std::string_view bytes);
// `length` random small letters and digits: a part of a name that no other writer picks.
std::string RandomName(int length);

}  // namespace vistrel
