#include "player/directory/channel_document.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace trr {
namespace {

// Groups flattened to "group:name=id,name=id" lines, for readable comparisons.
std::vector<std::string> Flatten(const std::vector<ChannelGroup>& groups) {
  std::vector<std::string> out;
  for (const ChannelGroup& g : groups) {
    std::string line = g.name + ":";
    for (size_t i = 0; i < g.stations.size(); ++i)
      line += (i ? "," : "") + g.stations[i].name + "=" + g.stations[i].id;
    out.push_back(line);
  }
  return out;
}

using Lines = std::vector<std::string>;

struct DocumentCase {
  const char* what;
  std::string document;
  Lines groups;
};

const DocumentCase kDocuments[] = {
    {"plain document, rows keep their line order within a group",
     "<type>新闻;音乐</type><tvdata>中国之声|101|新闻\r\n音乐台|201|音乐\r\n经济之声|102|新闻</tvdata>",
     {"新闻:中国之声=101,经济之声=102", "音乐:音乐台=201"}},
    {"markers in any letter case",
     "<TYPE>A;B</Type><TvData>x|1|A\r\ny|2|B</TVDATA>",
     {"A:x=1", "B:y=2"}},
    {"group names compare with their letter case",
     "<type>News;news</type><tvdata>a|1|News\r\nb|2|news\r\nc|3|NEWS</tvdata>",
     {"News:a=1", "news:b=2"}},
    {"a group listed twice gets all its rows twice",
     "<type>A;B;A</type><tvdata>x|1|A\r\ny|2|B\r\nz|3|A</tvdata>",
     {"A:x=1,z=3", "B:y=2", "A:x=1,z=3"}},
    {"text outside the sections is ignored and the sections come in either order",
     "head <b>x|9|A</b>\r\n<tvdata>x|1|A\r\ny|2|B</tvdata> middle|5|A <type>B;A</type> tail|7|B",
     {"B:y=2", "A:x=1"}},
    {"short lines, empty lines and a trailing line break are skipped",
     "<type>A</type><tvdata>\r\nonly|two\r\nx|1|A\r\n\r\n|\r\ny|2|A|extra|fields\r\n</tvdata>",
     {"A:x=1,y=2"}},
    {"empty group names are skipped, in the list and in lines",
     "<type>;A;;B;</type><tvdata>x|1|\r\ny|2|A\r\nz|3|B</tvdata>",
     {"A:y=2", "B:z=3"}},
    {"a line whose group is not listed is not shown; an unused group is empty",
     "<type>A;Empty</type><tvdata>x|1|A\r\nlost|2|Other</tvdata>",
     {"A:x=1", "Empty:"}},
    {"no group list: nothing", "<tvdata>x|1|A</tvdata>", {}},
    {"group list without closing marker: nothing", "<type>A;B<tvdata>x|1|A</tvdata>", {}},
    {"no station list: every group empty", "<type>A;B</type>", {"A:", "B:"}},
    {"station list without closing marker: every group empty",
     "<type>A;B</type><tvdata>x|1|A\r\ny|2|B", {"A:", "B:"}},
    {"empty document", "", {}},
    {"empty fields keep their place", "<type>A</type><tvdata>|7|A\r\nnoid||A</tvdata>", {"A:=7,noid="}},
    {"only \\r\\n separates lines", "<type>A</type><tvdata>x|1|A\ny|2|A\r\nz|3|A</tvdata>", {"A:z=3"}},
};

TEST(ChannelDocument, ParsesGroupsAndStations) {
  for (const DocumentCase& c : kDocuments) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Flatten(ParseChannelDocument(c.document).groups), c.groups);
  }
}

// A document of `groups` distinct groups, the list naming them `repeat` times over, `perGroup` stations each.
std::string Generated(int groups, int perGroup, int repeat) {
  std::string list, lines;
  for (int r = 0; r < repeat; ++r)
    for (int g = 0; g < groups; ++g) list += "G" + std::to_string(g) + ";";
  for (int g = 0; g < groups; ++g)
    for (int i = 0; i < perGroup; ++i) lines += "s" + std::to_string(i) + "|" + std::to_string(i) + "|G" +
                                                std::to_string(g) + "\r\n";
  return "<type>" + list + "</type><tvdata>" + lines + "</tvdata>";
}

TEST(ChannelDocument, GroupsAndRowsStopAtTheLimits) {
  const struct {
    const char* what;
    int groups, perGroup, repeat;
    size_t shownGroups, shownRows, rowsOfLastGroup;
  } cases[] = {
      {"within the limits nothing is left out", 10, 100, 1, 10, 1000, 100},
      {"groups past the thousandth are left out, empty ones too", 1200, 0, 1, 1000, 0, 0},
      {"one group listed 5,000 times: the copies stop at the row limit", 1, 5000, 5000, 20, 100000, 5000},
      {"the group reaching the row limit keeps what fits", 3, 40000, 1, 3, 100000, 20000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<ChannelGroup> groups = ParseChannelDocument(Generated(c.groups, c.perGroup, c.repeat)).groups;
    ASSERT_EQ(groups.size(), c.shownGroups);
    size_t rows = 0;
    for (const ChannelGroup& g : groups) rows += g.stations.size();
    EXPECT_EQ(rows, c.shownRows);
    EXPECT_EQ(groups.back().stations.size(), c.rowsOfLastGroup);
    EXPECT_EQ(groups.back().name, "G" + std::to_string((c.shownGroups - 1) % c.groups));
  }
}

TEST(ChannelDocument, OnlyAWholeDirectoryCountsAsOne) {
  EXPECT_TRUE(ParseChannelDocument("<type>A</type><tvdata>x|1|A</tvdata>").WorthKeeping());
  EXPECT_TRUE(ParseChannelDocument("<html><type>A;B</type></html>").WorthKeeping());
  for (const char* other : {"<!DOCTYPE html><html><body><form>Please sign in</form></body></html>",
                            "<type>;;</type><tvdata>x|1|A</tvdata>", "<type>A</type><tvdata>x|1|A\r\ny|2|",
                            "<type>A;B", "\x89PNG\r\n\x1a\n", ""})
    EXPECT_FALSE(ParseChannelDocument(other).WorthKeeping()) << other;
}

TEST(ChannelDocument, LookupAddressAppendsTheIdUnchanged) {
  ASSERT_TRUE(SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", "http://127.0.0.1:9/"));
  EXPECT_EQ(StationLookupUrl("101"), "http://127.0.0.1:9/Url.Asp?ID=101");
  EXPECT_EQ(StationLookupUrl("a b&c=中文%20"), "http://127.0.0.1:9/Url.Asp?ID=a b&c=中文%20");
  EXPECT_EQ(StationLookupUrl(""), "http://127.0.0.1:9/Url.Asp?ID=");
  SetEnvironmentVariableA("TRRADIO_DIRECTORY_URL", nullptr);
}

}  // namespace
}  // namespace trr
