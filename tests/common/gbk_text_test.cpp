#include "common/gbk_text.h"

#include <gtest/gtest.h>

#include "common/gbk_convert.h"

namespace trr {
namespace {

TEST(TextBetween, FindsMarkersInAnyLetterCaseAndCountsBytes) {
  struct Case {
    const char* source;
    const char* open;
    const char* close;
    const char* expected;
  };
  const Case cases[] = {
      {"x<type>a;b</type>y", "<type>", "</type>", "a;b"},
      {"x<TYPE>a;b</Type>y", "<type>", "</type>", "a;b"},
      {"<type>first</type><type>second</type>", "<type>", "</type>", "first"},
      {"no markers here", "<type>", "</type>", ""},
      {"<type>never closed", "<type>", "</type>", ""},
      {"</type>before<type>after</type>", "<type>", "</type>", "after"},
      {"<type></type>", "<type>", "</type>", ""},
      {"<tvdata>中文|1|组\r\n</tvdata>", "<TVDATA>", "</TVDATA>", "中文|1|组\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextBetween(c.source, c.open, c.close), c.expected) << c.source;
}

TEST(TextBetween, NeverMatchesInsideADoubleByteCharacter) {
  // 0xB1 0x41 is not a real pair but its trail byte is 'A'; a marker "a>" must not start on it.
  std::string source = "\xB1\x41>x";
  EXPECT_EQ(FindIgnoringAsciiCase(source, "a>"), std::string::npos);
  // Nor is a trail byte folded when the match starts on the pair: 0x81 'A' is another character than 0x81 'a'.
  EXPECT_EQ(FindIgnoringAsciiCase("\x81" "A<", "\x81" "a<"), std::string::npos);
  EXPECT_EQ(FindIgnoringAsciiCase("x\x81" "a<", "\x81" "a<"), 1u);
  // The GBK character for "中" is two bytes, so the marker after it starts at byte 2.
  EXPECT_EQ(FindIgnoringAsciiCase("中<B>", "<b>"), 2u);
  EXPECT_EQ(std::string("中文").size(), 4u);
}

TEST(SplitText, KeepsEmptyPartsAndWholeBytes) {
  using Parts = std::vector<std::string>;
  EXPECT_EQ(SplitText("a;b;c", ";"), (Parts{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a;;c;", ";"), (Parts{"a", "", "c", ""}));
  EXPECT_EQ(SplitText("", ";"), (Parts{""}));
  EXPECT_EQ(SplitText("l1\r\nl2\r\n", "\r\n"), (Parts{"l1", "l2", ""}));
  EXPECT_EQ(SplitText("新闻|12|音乐", "|"), (Parts{"新闻", "12", "音乐"}));
}

TEST(NumberConversion, NonNumbersAreZeroAndLeadingNumbersCount) {
  struct Case {
    const char* text;
    double value;
    int integer;
  };
  const Case cases[] = {
      {"0128", 128, 128},   {"1.0", 1.0, 1},     {"1.01", 1.01, 1},   {"  42", 42, 42},   {"-7.9", -7.9, -7},
      {"abc", 0, 0},        {"", 0, 0},          {"12abc", 12, 12},   {"1.1.1", 1.1, 1},  {"1.0\r\n", 1.0, 1},
      {".5", 0.5, 0},       {"-", 0, 0},         {"1e5", 1, 1},       {"中", 0, 0},       {"99999999999", 99999999999.0, 2147483647},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.value) << c.text;
    EXPECT_EQ(TextToInt(c.text), c.integer) << c.text;
  }
  EXPECT_EQ(TextToSingle("1.10"), TextToSingle("1.1"));
  EXPECT_LT(TextToSingle("1.0"), TextToSingle("1.01"));
  EXPECT_GT(TextToSingle("2"), TextToSingle("1.1"));
}

TEST(TrimText, RemovesBlanksAtBothEnds) {
  EXPECT_EQ(TrimText("  http://x/a b  \r\n"), "http://x/a b");
  EXPECT_EQ(TrimText("   "), "");
}

TEST(GbkConvert, RoundTripsChineseText) {
  std::string gbk = "分组列表 TiroRadio 当前在线:128人";
  std::wstring wide = GbkToWide(gbk);
  EXPECT_EQ(wide.substr(0, 4), L"分组列表");
  EXPECT_EQ(WideToGbk(wide), gbk);
  // The literal is stored as GBK: two bytes per character.
  EXPECT_EQ(std::string("分组").size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(std::string("分")[0]), 0xB7u);
}

}  // namespace
}  // namespace trr
