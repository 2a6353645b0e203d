// The community directory's text work: its JSON replies, station names turned into GBK display names, and the
// cache file. Inputs from the network are UTF-8 (u8 literals); display names are GBK (plain literals).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/community/community_directory.h"
#include "player/community/community_names.h"
#include "player/community/community_reply.h"

namespace trr {
namespace {

std::string U8(const char* text) { return text; }

TEST(CommunityReply, ListingsKeepIdNameCountryAndAPlayableAddress) {
  const std::string reply = U8(
      u8R"([{"stationuuid":"aa-1","name":"中国之声","countrycode":"cn","url":"http://a/u","url_resolved":"http://a/r"},
            {"stationuuid":"aa-2","name":"x","url":"http://a/u b/电台","url_resolved":"ftp://a/r","tags":["t"]},
            {"stationuuid":"aa-3","url":"file:///c:/x","countrycode":"CHN","votes":5,"extra":{"name":"no"}},
            {"stationuuid":"../x","name":"bad id"}, {"name":"no id"}, 17, "text",
            {"stationuuid":"aa-4","name":null,"url":"HTTPS://a/\u0001"}])");
  std::vector<CommunityStation> stations;
  ASSERT_TRUE(ParseCommunityStations(reply, stations));
  ASSERT_EQ(stations.size(), 4u);
  EXPECT_EQ(stations[0].uuid, "aa-1");
  EXPECT_EQ(stations[0].name, U8(u8"中国之声"));
  EXPECT_EQ(stations[0].countryCode, "CN");
  EXPECT_EQ(stations[0].address, "http://a/r") << "url_resolved first";
  EXPECT_EQ(stations[1].address, "http://a/u%20b/%E7%94%B5%E5%8F%B0") << "url when url_resolved is no http address";
  EXPECT_EQ(stations[2].address, "") << "only http and https are played";
  EXPECT_EQ(stations[2].countryCode, "");
  EXPECT_EQ(stations[2].name, "") << "a nested object's name is not the station's";
  EXPECT_EQ(stations[3].address, "") << "a control byte spoils an address";
}

TEST(CommunityReply, AnythingButAWholeArrayOfObjectsIsNoListing) {
  const std::string deep = std::string(200, '[') + std::string(200, ']');
  const char* const bad[] = {"", "{}", "\"x\"", "5", "[{\"stationuuid\":\"a\"}", "[] x", "[{\"stationuuid\":\"a\",}]",
                             "<html>login</html>", "[\"\xff\"]"};
  std::vector<CommunityStation> stations;
  for (const char* reply : bad) EXPECT_FALSE(ParseCommunityStations(reply, stations)) << reply;
  EXPECT_FALSE(ParseCommunityStations(deep, stations));
  EXPECT_FALSE(ParseCommunityStations("[" + std::string(kMaxCommunityReplyBytes, ' ') + "]", stations));
  EXPECT_TRUE(ParseCommunityStations(" [ ] ", stations));
  EXPECT_TRUE(stations.empty());
}

TEST(CommunityReply, ServerListAndLookUpReply) {
  std::vector<std::string> hosts;
  ASSERT_TRUE(ParseCommunityServers(
      R"([{"ip":"1","name":"de1.api.example"},{"ip":"2","name":"de1.api.example"},{"name":"127.0.0.1:8080"},
          {"name":"a/b"},{"name":"x y"},{"name":""},{"name":"h:99999999"},{"ip":"3"}])",
      hosts));
  EXPECT_EQ(hosts, (std::vector<std::string>{"de1.api.example", "127.0.0.1:8080"}));
  EXPECT_FALSE(ParseCommunityServers("{\"name\":\"a\"}", hosts));

  struct Case {
    const char* reply;
    const char* address;
  } const cases[] = {
      {R"({"ok":true,"message":"retrieved station url","url":"http://s/x"})", "http://s/x"},
      {R"({"url":"https://s/y"})", "https://s/y"},
      {R"({"ok":false,"url":"http://s/x"})", ""},
      {R"({"ok":"maybe","url":"http://s/x"})", ""},
      {R"({"ok":true,"url":5})", ""},
      {R"({"ok":true,"url":"javascript:x"})", ""},
      {R"([{"url":"http://s/x"}])", ""},
      {R"({"ok":true,"url":"http://s/x")", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStationUrlReply(c.reply), c.address) << c.reply;
}

struct NameCase {
  std::string utf8;
  const char* country;
  size_t number;
  std::string shown;
};

TEST(CommunityNames, UnfitCharactersBecomeQuestionMarksAndEmptyNamesAStandIn) {
  const NameCase cases[] = {
      {U8(u8"中国之声"), "CN", 1, "中国之声"},
      {U8(u8"ジャズ東京"), "JP", 2, "ジャズ東京"},
      {U8(u8"Lo-Fi Beats 📻"), "DE", 3, "Lo-Fi Beats ?"},
      {U8(u8"Ünïcödé"), "DE", 4, "?n?c?dé"},
      {U8(u8"☃ snow"), "NO", 5, "? snow"},
      {U8(u8"１２３"), "CN", 6, "１２３"},
      {U8(u8"a|b;c <tvdata>x</type>"), "US", 7, "a|b;c <tvdata>x</type>"},
      {U8(u8"  line\r\nbreak\t "), "US", 8, "line  break"},
      {U8(u8"راديو القاهرة"), "EG", 3, "EG 电台 3"},
      {U8(u8"📻🎵"), "JP", 17, "JP 电台 17"},
      {U8(u8"★★★"), "CN", 9, "CN 电台 9"},
      {std::string("\0\x01", 2), "", 5, "电台 5"},
      {"", "", 1, "电台 1"},
      {"bad \xff utf-8", "TW", 2, "TW 电台 2"},
      {std::string(300, 'x'), "US", 1, std::string(kMaxDisplayNameBytes, 'x')},
  };
  for (const NameCase& c : cases) EXPECT_EQ(CommunityDisplayName(c.utf8, c.country, c.number), c.shown) << c.shown;

  std::string long300;
  for (int i = 0; i < 300; ++i) long300 += U8(u8"中");
  const std::string shown = CommunityDisplayName(long300, "CN", 1);
  EXPECT_EQ(shown.size(), kMaxDisplayNameBytes) << "cut between characters";
  EXPECT_EQ(shown.substr(0, 2), "中");
}

CommunityDirectory SampleDirectory() {
  CommunityDirectory d;
  d.fetchedAt = 1700000000;
  d.server = "https://de1.api.example";
  d.groups = {{"热门电台", {{"aa-1", "http://a/r", "中国之声"}, {"aa-2", "", "JP 电台 2"}}},
              {"新闻", {{"aa-1", "http://a/r", "a|b;c <tvdata>"}}}};
  return d;
}

TEST(CommunityCache, ReadsBackWhatItWritesAndNothingElse) {
  const std::string written = FormatCommunityCache(SampleDirectory());
  CommunityDirectory read;
  ASSERT_TRUE(ParseCommunityCache(written, read));
  EXPECT_EQ(FormatCommunityCache(read), written);
  EXPECT_EQ(read.fetchedAt, 1700000000);
  EXPECT_EQ(read.RowCount(), 3u);
  EXPECT_EQ(read.groups[1].rows[0].name, "a|b;c <tvdata>");

  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string bytes = written;
    bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  const std::string bad[] = {
      written.substr(0, written.size() - 1),           // cut in the end line
      written.substr(0, written.find("end\t")),        // no end line
      written + "group\tmore\r\n",                     // text after the end line
      replaced("end\t2\t3", "end\t2\t4"),              // counts differ
      replaced("TRRADIO COMMUNITY 1", "TRRADIO COMMUNITY 2"),
      replaced("aa-2", "../x"),                        // not an id
      replaced("http://a/r", "file:///c:/x"),          // not a playable address
      replaced("中国之声", "a\tb"),                    // a field too many
      replaced("中国之声", ""),                        // an empty name
      replaced("1700000000", "-5"),
      replaced("group\t热门电台\r\n", ""),             // stations before any group
      "",
  };
  for (const std::string& bytes : bad) {
    EXPECT_FALSE(ParseCommunityCache(bytes, read)) << bytes;
    EXPECT_TRUE(read.groups.empty());
  }
}

TEST(CommunityCache, ADayOldOrFutureListIsStale) {
  const int64_t now = 1700000000;
  EXPECT_FALSE(IsCommunityCacheStale(now, now));
  EXPECT_FALSE(IsCommunityCacheStale(now - kCommunityCacheMaxAgeSeconds + 1, now));
  EXPECT_TRUE(IsCommunityCacheStale(now - kCommunityCacheMaxAgeSeconds, now));
  EXPECT_FALSE(IsCommunityCacheStale(now + 60, now)) << "a clock a little behind";
  EXPECT_TRUE(IsCommunityCacheStale(now + 3600, now)) << "a clock set back";
}

}  // namespace
}  // namespace trr
