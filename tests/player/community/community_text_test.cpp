// The community directory's text work: its JSON replies, station names turned into GBK display names, and the
// cache file. Inputs from the network are UTF-8 (u8 literals); display names are GBK (plain literals).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "player/community/community_directory.h"
#include "player/community/community_names.h"
#include "player/community/community_reply.h"
#include "player/community/station_address_rule.h"
#include "player/list/station_groups.h"

namespace trr {
namespace {

std::string U8(const char* text) { return text; }

TEST(CommunityReply, ListingsKeepIdNameCountryAndAPlayableAddress) {
  const std::string reply = U8(
      u8R"([{"stationuuid":"aa-1","name":"中国之声","countrycode":"cn","url":"http://a/u","url_resolved":"http://a/r"},
            {"stationuuid":"aa-2","name":"x","url":"http://a/u b/电台","url_resolved":"ftp://a/r","tags":["t"]},
            {"stationuuid":"aa-3","url":"file:///c:/x","countrycode":"CHN","votes":5,"extra":{"name":"no"}},
            {"stationuuid":"../x","name":"bad id"}, {"name":"no id"}, 17, "text",
            {"stationuuid":"aa-4","name":null,"url":"HTTPS://a/\u0001"},
            {"stationuuid":"aa-5","url":"http://a/u","url_resolved":"http://192.168.1.1/r"},
            {"stationuuid":"aa-6","url":"http://[::1]/u","url_resolved":"http://0x7f.1/r"}])");
  std::vector<CommunityStation> stations;
  ASSERT_TRUE(ParseCommunityStations(reply, stations));
  ASSERT_EQ(stations.size(), 6u);
  EXPECT_EQ(stations[0].uuid, "aa-1");
  EXPECT_EQ(stations[0].name, U8(u8"中国之声"));
  EXPECT_EQ(stations[0].countryCode, "CN");
  EXPECT_EQ(stations[0].address, "http://a/r") << "url_resolved first";
  EXPECT_EQ(stations[1].address, "http://a/u%20b/%E7%94%B5%E5%8F%B0") << "url when url_resolved is no http address";
  EXPECT_EQ(stations[2].address, "") << "only http and https are played";
  EXPECT_EQ(stations[2].countryCode, "");
  EXPECT_EQ(stations[2].name, "") << "a nested object's name is not the station's";
  EXPECT_EQ(stations[3].address, "") << "a control byte spoils an address";
  EXPECT_EQ(stations[4].address, "http://a/u") << "url when url_resolved names a private network";
  EXPECT_EQ(stations[5].address, "") << "neither names a public host";
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
      {R"({"ok":true,"url":"http://127.0.0.1:8080/admin"})", ""},
      {R"({"ok":true,"url":"http://user:pw@s/x"})", ""},
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

// A station's address is listed only when it names a public host, in whatever form the platform reads hosts.
TEST(StationAddressRule, OnlyPublicHostsInAnyFormAreListed) {
  const char* const listed[] = {
      "http://radio.example/live", "HTTPS://Radio.Example:8443/a?b=c#d", "http://a/r", "http://a.b-c_d.example./x",
      "http://8.8.8.8/s", "http://8.8.8.8:8000", "https://1.1.1.1/", "http://134744072/s" /* 8.8.8.8 */,
      "http://0x08080808/s", "http://8.0x80808/s", "http://010.8.8.8/s" /* octal 8.8.8.8 */, "http://100.63.255.255/",
      "http://100.128.0.0/", "http://172.15.255.255/", "http://172.32.0.0/", "http://169.253.0.1/", "http://11.0.0.1/",
      "http://192.167.255.255/", "http://223.255.255.255/", "http://[2606:4700::1111]/s", "http://[2a00:1450::]:80/",
      "http://[2001:4860:4860::8888]/", "http://radio.example/a@b", "http://xn--fiq228c.example/",
      "http://radio.localhost.example/", "http://local.example/", "http://arpa.example/", "http://home.example.arpa/",
  };
  for (const char* address : listed) EXPECT_TRUE(IsPublicStationAddress(address)) << address;

  const char* const refused[] = {
      "", "http://", "https://", "http:///x", "ftp://radio.example/", "file:///c:/x", "radio.example/x",
      "javascript:alert(1)", "http://radio.example/a b", "http://radio.example/\x7f", "http://radio.example\\x",
      "http:\\\\radio.example/", "http://user@radio.example/", "http://user:pw@radio.example/",
      "http://radio.example@127.0.0.1/", "http://@radio.example/", "http://radio.example?x@127.0.0.1/",
      "http://radio.example#@127.0.0.1:8080/", "http://radio.example:0/", "http://radio.example:/",
      "http://radio.example:65536/", "http://radio.example:80:80/", "http://radio..example/", "http://.radio.example/",
      "http://radio.example../", "http://ra%64io.example/", "http://radio;example/", "http://localhost/",
      "http://LocalHost./", "http://radio.localhost/", "http://printer.local/", "http://nas.internal/",
      "http://router.home.arpa/", "http://HOME.ARPA/",
      // IPv4 in its special-purpose, multicast and reserved ranges, in every form.
      "http://0.0.0.0/", "http://0/", "http://0.1.2.3/", "http://10.0.0.1/", "http://10.255.255.255/",
      "http://100.64.0.0/", "http://100.127.255.255/", "http://127.0.0.1/", "http://127.255.255.254:8000/",
      "http://169.254.169.254/", "http://172.16.0.1/", "http://172.31.255.255/", "http://192.0.0.170/",
      "http://192.0.2.1/", "http://192.31.196.1/", "http://192.52.193.1/", "http://192.88.99.1/",
      "http://192.168.1.1/", "http://192.175.48.1/", "http://198.18.0.1/", "http://198.19.255.255/",
      "http://198.51.100.7/", "http://203.0.113.9/", "http://224.0.0.251/", "http://239.255.255.250:1900/",
      "http://240.0.0.1/", "http://255.255.255.255/", "http://2130706433/", "http://017700000001/",
      "http://0x7f000001/", "http://0X7F000001/", "http://0x7f.1/", "http://127.1/", "http://127.0.1/",
      "http://0177.0.0.1/", "http://0x7F.0.0.1/", "http://0x7f.0x0.0x0.0x1/", "http://10.1/", "http://3232235777/",
      "http://127.0.0.1./", "http://192.168.0x1.1/",
      // Hosts that end in a number but are no IPv4 address.
      "http://1.2.3.4x/", "http://1.2.3.4.5/", "http://256.1.1.1/", "http://1.2.3.256/", "http://08.8.8.8/",
      "http://0x100000000/", "http://4294967296/", "http://radio.123/", "http://1e2/",
      // IPv6 outside the global unicast range, special blocks inside it, and forms that are no address.
      "http://[::1]/", "http://[::]/", "http://[0:0:0:0:0:0:0:1]/", "http://[::ffff:127.0.0.1]/",
      "http://[::ffff:7f00:1]:80/", "http://[::ffff:8.8.8.8]/", "http://[::127.0.0.1]/", "http://[64:ff9b::7f00:1]/",
      "http://[100::1]/", "http://[fc00::1]/", "http://[fd12:3456::1]/", "http://[fe80::1]/",
      "http://[fe80::1%25eth0]/", "http://[fec0::1]/", "http://[ff02::1]/", "http://[2001::1]/",
      "http://[2001:db8::1]/", "http://[2002:7f00:1::]/", "http://[2620:4f:8000::1]/", "http://[3fff::1]/",
      "http://[2606:4700::1111:]/", "http://[2606:4700::1111::1]/", "http://[1:2:3:4:5:6:7:8:9]/",
      "http://[2606:4700:1:2:3:4:5::6]/", "http://[2606:4700::1]x/", "http://[2606:4700::1/", "http://::1/",
      "http://[2606:4700::1.2.3.4.5]/", "http://[12345::]/",
  };
  for (const char* address : refused) EXPECT_FALSE(IsPublicStationAddress(address)) << address;
}

CommunityDirectory SampleDirectory() {
  CommunityDirectory d;
  d.fetchedAt = 1700000000;
  d.server = "https://de1.api.example";
  d.groups = {{"热门电台", {{"aa-1", "http://a/r", "中国之声"}, {"aa-2", "https://b.example:8443/x", "JP 电台 2"}}},
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
      replaced("end\t2\t3", "end\t4294967298\t4294967299"),  // counts that a 32-bit size would cut to 2 and 3
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

// Stations an earlier version cached without an address, or with one that names a private host, are not listed,
// and neither is a group they leave empty; the server may be a plain http one (a cache of an earlier version).
TEST(CommunityCache, StationsWithoutAPublicAddressAreLeftOut) {
  CommunityDirectory d = SampleDirectory();
  d.server = "http://de1.api.example";
  d.groups[0].rows.push_back({"aa-3", "", "无地址"});
  d.groups[0].rows.push_back({"aa-4", "http://192.168.1.1/x", "路由器"});
  d.groups[1].rows = {{"aa-5", "http://0x7f.1/x", "本机"}};
  CommunityDirectory read;
  ASSERT_TRUE(ParseCommunityCache(FormatCommunityCache(d), read));
  EXPECT_EQ(read.server, "http://de1.api.example");
  ASSERT_EQ(read.groups.size(), 1u);
  ASSERT_EQ(read.groups[0].rows.size(), 2u);
  EXPECT_EQ(read.groups[0].rows[1].uuid, "aa-2");
}

// The whole directory holds at most kMaxCommunityStationText bytes of station text; a cache of that much, with
// as many rows as the list takes, is one that reading accepts, and a byte more is no cache.
TEST(CommunityCache, ACacheAtTheTextLimitReadsBackAndOneByteMoreDoesNot) {
  CommunityDirectory d;
  d.fetchedAt = 1700000000;
  d.server = "https://" + std::string(2000, 's') + ".example";
  for (size_t g = 0; g < 13; ++g) d.groups.push_back({"分组 " + std::to_string(g), {}});
  size_t text = 0;
  for (size_t i = 0; i < kMaxChannelRows; ++i) {
    CommunityRow row{"uuid-" + std::to_string(i), "http://r.example/" + std::to_string(i), std::string(20, 'n')};
    d.groups[i % 13].rows.push_back(row);
    text += StationTextBytes(row);
  }
  // The addresses take what is left, up to the text limit exactly, each a byte short of the longest allowed.
  ASSERT_LT(text, kMaxCommunityStationText);
  size_t missing = kMaxCommunityStationText - text;
  for (CommunityGroup& group : d.groups) {
    for (CommunityRow& row : group.rows) {
      const size_t add = std::min(missing, kMaxStreamAddressBytes - 1 - row.address.size());
      row.address.append(add, 'a');
      missing -= add;
    }
  }
  ASSERT_EQ(missing, 0u);
  const std::string written = FormatCommunityCache(d);
  EXPECT_LE(written.size(), kMaxCommunityCacheBytes);
  CommunityDirectory read;
  ASSERT_TRUE(ParseCommunityCache(written, read));
  EXPECT_EQ(read.RowCount(), kMaxChannelRows);
  EXPECT_EQ(FormatCommunityCache(read), written);

  d.groups[0].rows[0].address += "a";
  EXPECT_FALSE(ParseCommunityCache(FormatCommunityCache(d), read)) << "more station text than the directory holds";
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
