#include "support/text.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(TextTest, UpperCaseFoldsAsciiAndLatin1LettersInUtf8) {
  EXPECT_EQ(UpperCase("abc xyz 09_%old%"), "ABC XYZ 09_%OLD%");
  EXPECT_EQ(UpperCase("größe über äöü àéîõ þ"), "GRÖßE ÜBER ÄÖÜ ÀÉÎÕ Þ");
  // The division sign and sharp s have no capital of their own; ÿ lies outside the range.
  EXPECT_EQ(UpperCase("÷ß ÿ"), "÷ß ÿ");
}

TEST(TextTest, UpperCaseNeverSplitsATwoByteSequence) {
  // 0xC3 0xC3 0xA0: the second 0xC3 is the tail of the first pair, so 0xA0 is not folded.
  EXPECT_EQ(UpperCase("\xC3\xC3\xA0"), "\xC3\xC3\xA0");
  // Bytes that are not UTF-8 pass unchanged; a lone lead byte at the end too.
  EXPECT_EQ(UpperCase("\xE4\xF6\xFC\xC3"), "\xE4\xF6\xFC\xC3");
  EXPECT_EQ(UpperCase("a\xA4"), "A\xA4");
}

TEST(TextTest, SameTextIgnoreCaseAgreesWithUpperCase) {
  EXPECT_TRUE(SameTextIgnoreCase("Width", "wIDTH"));
  EXPECT_TRUE(SameTextIgnoreCase("Größe", "GRÖßE"));
  EXPECT_FALSE(SameTextIgnoreCase("Width", "Widt"));
  EXPECT_FALSE(SameTextIgnoreCase("\xC3\xC3\xA0", "\xC3\xC3\x80"));
  EXPECT_TRUE(SameTextIgnoreCase("", ""));
}

TEST(TextTest, FindIgnoreCase) {
  EXPECT_EQ(FindIgnoreCase("abc%OLD%def", "%old%"), 3u);
  EXPECT_EQ(FindIgnoreCase("abc%OLD%def%Old%", "%old%", 4), 11u);
  EXPECT_EQ(FindIgnoreCase("abc", "x"), std::string_view::npos);
}

TEST(TextTest, ParseInt32AcceptsDecimalAndHexadecimalForms) {
  struct Case {
    const char* text;
    std::optional<int32_t> expected;
  } cases[] = {
      {"0", 0},          {"42", 42},          {"  7", 7},        {"+5", 5},
      {"-12", -12},      {"$1F", 31},         {"0x10", 16},      {"0X10", 16},
      {"x10", 16},       {"X1a", 26},         {"-$10", -16},     {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},             {"$FFFFFFFF", -1}, {"", std::nullopt},
      {" ", std::nullopt},                    {"-", std::nullopt}, {"0x", std::nullopt},
      {"12a", std::nullopt},                  {"1 ", std::nullopt}, {"2147483648", std::nullopt},
      {"$100000000", std::nullopt},           {"1.5", std::nullopt}, {"--1", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInt32(c.text), c.expected) << "input: «" << c.text << "»";
}

TEST(TextTest, SplitTextLinesFollowsTheLineRules) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines("a\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines("a\n\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitTextLines("a\rb\n"), (Lines{"ab"}));      // a lone CR is dropped
  EXPECT_EQ(SplitTextLines("a\nb\x1A" "c\nd"), (Lines{"a", "b"}));  // Ctrl-Z ends the input
  EXPECT_EQ(SplitTextLines(std::string("a\0b\n", 4)), (Lines{std::string("a\0b", 3)}));
}

TEST(TextTest, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(Trim("\x01\x1F"), "");
}

TEST(TextTest, Utf8IsCheckedAndOlderEncodingsConverted) {
  const struct {
    std::string text;
    bool valid;
    std::string as_utf8;  // LegacyTextToUtf8
  } cases[] = {
      {"Zürich", true, "Zürich"},
      {"Z\xFCrich", false, "Zürich"},              // Latin-1
      {"\x80 5 \x84gut\x93", false, "€ 5 „gut“"},  // Windows-1252's own characters
      {"a\x81-b", false, "a-b"},                        // a code Windows-1252 leaves free
      {"\xC3", false, "Ã"},                            // cut short
      {"\xC0\xAF", false, "À¯"},                       // overlong "/"
      {"\xED\xA0\x80", false, "í\xC2\xA0€"},           // a surrogate
      {"\xF4\x90\x80\x80", false, "ô€€"},              // above U+10FFFF
      {"\xF0\x9F\x93\xB7", true, "\xF0\x9F\x93\xB7"},  // a camera emoji
      {std::string("a\0b", 3), true, std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
    EXPECT_EQ(LegacyTextToUtf8(c.text), c.as_utf8) << c.text;
    EXPECT_TRUE(IsValidUtf8(LegacyTextToUtf8(c.text))) << c.text;
  }
}

TEST(TextTest, Utf16LittleEndianUpToTheFirstNul) {
  EXPECT_EQ(Utf16LeToUtf8(std::string("B\0e\0r\0g\0", 8)), "Berg");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\xFC\0"
                                      "b\0\0\0x\0",
                                      8)),
            "üb");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\xAC\x20", 2)), "€");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8\xF7\xDC", 4)), "\xF0\x9F\x93\xB7");  // a pair
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8"
                                      "a\0",
                                      4)),
            "a");  // an unpaired surrogate
  EXPECT_EQ(Utf16LeToUtf8(std::string("\xF7\xDC", 2)), "");
  EXPECT_EQ(Utf16LeToUtf8(std::string("a\0b", 3)), "a");  // the odd last byte
}

}  // namespace
}  // namespace vistrel
