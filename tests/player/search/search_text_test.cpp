// The station search's matching as tables: character boundaries, letter case and full width, pinyin initials
// with several readings, traditional forms, the bound on the typed text, and the order of an index's results.
#include "player/search/search_text.h"

#include <gtest/gtest.h>

#include "player/search/hanzi_tables.h"
#include "player/search/station_index.h"

namespace trr {
namespace {

MatchRank Rank(const std::string& name, const std::string& typed) {
  return RankMatch(MakeSearchQuery(typed), FoldSearchText(name));
}

struct Row {
  const char* name;
  const char* typed;
  MatchRank rank;
};

TEST(SearchText, MatchesByTextInitialsAndForms) {
  const Row rows[] = {
      // Text, compared character by character: "\xD0\xB9" is a character of its own, made of the halves of
      // 中 (D6 D0) and 国 (B9 FA).
      {"中国之声", "中国之声", kWholeName},
      {"中国之声", "中国", kNameStart},
      {"中国之声", "之声", kInsideName},
      {"中国之声", "\xD0\xB9", kNoMatch},
      {"中国之声", "\xD6", kNoMatch},
      {"中国之声", "国之声台", kNoMatch},
      // Letter case and full width.
      {"Hit FM", "hit fm", kWholeName},
      {"CCTV-1 综合", "cctv-1", kNameStart},
      {"ＣＣＴＶ１音乐", "cctv1", kNameStart},
      {"CCTV1", "ｃｃｔｖ", kNameStart},
      {"Hit FM", "HIT", kNameStart},
      // Pinyin initials of consecutive characters; Latin letters and digits stand for themselves; blanks and
      // punctuation in the name are passed over.
      {"中国之声", "zgzs", kInitialsAtStart},
      {"中国之声", "zgz", kInitialsAtStart},
      {"中国之声", "gzs", kInitialsInside},
      {"中国之声", "ZG ZS", kInitialsAtStart},
      {"中国之声", "zgzz", kNoMatch},
      {"中国之声", "zs zg", kNoMatch},
      {"CCTV音乐", "cctvyy", kInitialsAtStart},
      {"北京·交通 103.9", "jt1039", kInitialsInside},
      {"音乐之声", "zs", kInitialsInside},
      // Several readings: any of them.
      {"音乐台", "yy", kInitialsAtStart},
      {"音乐台", "yl", kInitialsAtStart},
      {"重庆之声", "cq", kInitialsAtStart},
      {"重庆之声", "zq", kInitialsAtStart},
      {"重庆之声", "xq", kNoMatch},
      // Simplified and traditional forms match each other, in text and in initials.
      {"台湾电台", "臺灣", kNameStart},
      {"臺灣電台", "台湾", kNameStart},
      {"音樂台", "音乐", kNameStart},
      {"音樂台", "yy", kInitialsAtStart},
      {"香港電台", "香港电台", kWholeName},
      // Control bytes in the typed text are ignored; blanks at its ends too; nothing typed finds nothing.
      {"中国之声", "\t中国\r\n", kNameStart},
      {"中国之声", "  ", kNoMatch},
      {"中国之声", "", kNoMatch},
  };
  for (const Row& row : rows) EXPECT_EQ(Rank(row.name, row.typed), row.rank) << row.name << " / " << row.typed;
}

TEST(SearchText, TablesCoverGbkAndTheQueryIsBounded) {
  EXPECT_EQ(PinyinInitials(0xD6D0), 1u << ('z' - 'a')) << "中";
  EXPECT_EQ(PinyinInitials(0xD6D8), (1u << ('c' - 'a')) | (1u << ('t' - 'a')) | (1u << ('z' - 'a'))) << "重";
  EXPECT_EQ(PinyinInitials(0x8140), (1u << ('k' - 'a')) | (1u << ('q' - 'a')) | (1u << ('y' - 'a')))
      << "丂, the first code of GBK";
  EXPECT_EQ(PinyinInitials(0x4141), 0u);
  EXPECT_EQ(PinyinInitials(0xA1A1), 0u) << "a symbol";
  EXPECT_EQ(SimplifiedForm(0xC55F), 0xCCA8) << "臺 -> 台";
  EXPECT_EQ(SimplifiedForm(0xCCA8), 0xCCA8);
  EXPECT_EQ(SimplifiedForm(0x8148), 0x8148);

  EXPECT_EQ(CleanQueryText(std::string(70, 'a')), std::string(64, 'a'));
  std::string chinese;
  for (int i = 0; i < 33; ++i) chinese += "台";
  EXPECT_EQ(CleanQueryText(chinese).size(), 64u);
  EXPECT_EQ(CleanQueryText("a" + chinese).size(), 63u) << "never half a character";
  EXPECT_EQ(CleanQueryText("a\x01" "b\x7F" "c"), "abc");
  EXPECT_EQ(FoldSearchText("中国之声"), "中国之声") << "most names fold to themselves";
  EXPECT_EQ(FoldSearchText("ＨＩＴ Fm\x81"), "hit fm\x81");
}

TEST(SearchText, IndexListsEachStationOnceBestFirst) {
  const std::vector<ChannelGroup> groups = {
      {"新闻", {{"新中国之声", "1"}, {"中国之声 FM", "2"}, {"中国", "3"}}},
      {"重复", {{"中国之声", "4"}, {"中国 again", "3"}, {"经济之声", "5"}}},
  };
  StationIndex index(groups);
  EXPECT_EQ(index.size(), 5u) << "station 3 is listed twice";
  auto names = [&](const std::string& typed, size_t limit) {
    std::vector<std::string> found;
    for (uint32_t station : index.Search(MakeSearchQuery(typed), limit)) found.emplace_back(index.Name(station));
    return found;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names("中国", 10), (Names{"中国", "中国之声", "中国之声 FM", "新中国之声"}));
  EXPECT_EQ(names("zgzs", 10), (Names{"中国之声", "中国之声 FM", "新中国之声"}));
  EXPECT_EQ(names("之声", 2), (Names{"中国之声", "经济之声"})) << "shorter names first, then list order";
  EXPECT_EQ(index.Id(4), "5");
  EXPECT_TRUE(names("", 10).empty());
  EXPECT_LT(index.MemoryBytes(), 1024u);
}

}  // namespace
}  // namespace trr
