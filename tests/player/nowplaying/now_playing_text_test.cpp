// The now-playing reader's text work: metadata blocks as they arrive, StreamTitle fields, playlists and the
// title's display text.
#include <gtest/gtest.h>

#include <string>

#include "common/gbk_convert.h"
#include "player/nowplaying/icy_metadata.h"
#include "player/nowplaying/playlist.h"
#include "player/nowplaying/title_text.h"

namespace trr {
namespace {

// `interval` bytes of audio, then a block holding `text` (padded to 16), then more audio.
std::string StreamWithBlock(size_t interval, const std::string& text) {
  const size_t length = (text.size() + 15) / 16;
  std::string padded = text;
  padded.resize(length * 16, '\0');
  return std::string(interval, '\xAA') + static_cast<char>(length) + padded + std::string(100, '\xAA');
}

TEST(IcyMetadata, BlocksArriveInAnyPiecesAndOnlyTheFirstIsRead) {
  const std::string stream = StreamWithBlock(300, "StreamTitle='A - B';StreamUrl='';");
  for (size_t piece : {1u, 7u, 299u, 300u, 301u, 4096u}) {
    SCOPED_TRACE(piece);
    IcyBlockReader reader(300);
    EXPECT_EQ(reader.Wanted(), 301u);
    size_t fed = 0;
    while (!reader.Complete() && fed < stream.size()) {
      const size_t n = std::min(piece, reader.Wanted());
      reader.Feed(std::string_view(stream).substr(fed, n));
      fed += n;
    }
    ASSERT_TRUE(reader.Complete());
    EXPECT_EQ(fed, 300u + 1 + 48) << "nothing is read beyond the first block";
    EXPECT_EQ(StreamTitleOf(reader.Block()), std::optional<std::string>("A - B"));
    EXPECT_EQ(reader.Wanted(), 0u);
  }
  // An empty block completes at its length byte; a block announced longer than what arrives never does.
  IcyBlockReader empty(4);
  EXPECT_TRUE(empty.Feed(std::string("abcd\0efg", 8)));
  EXPECT_EQ(empty.Block(), "");
  IcyBlockReader cut(4);
  EXPECT_FALSE(cut.Feed(std::string("abcd\xFFStreamTitle='x", 19)));
  EXPECT_EQ(cut.Wanted(), 255u * 16 - 14);
  IcyBlockReader never(0);
  EXPECT_FALSE(never.Feed(stream));
}

TEST(IcyMetadata, IntervalsAndTitleFields) {
  const struct {
    const char* header;
    size_t interval;
  } intervals[] = {{"8192", 8192}, {" 16000 ", 16000}, {"65536", 65536}, {"65537", 0}, {"0", 0}, {"", 0},
                   {"-1", 0},      {"12a", 0},         {"99999999999", 0}};
  for (const auto& row : intervals) EXPECT_EQ(ParseIcyMetaInterval(row.header), row.interval) << row.header;

  const struct {
    std::string block;
    std::optional<std::string> title;
  } titles[] = {
      {"StreamTitle='Artist - Song';StreamUrl='';", "Artist - Song"},
      {std::string("StreamTitle='Padded';\0\0\0\0", 25), "Padded"},
      {"StreamTitle='Guns N' Roses - Don't Cry';StreamUrl='x';", "Guns N' Roses - Don't Cry"},
      {"StreamTitle='';", ""},
      {"StreamTitle='no end", "no end"},
      {"StreamUrl='http://x/';", std::nullopt},
      {std::string("\0StreamTitle='after padding';", 30), std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : titles) EXPECT_EQ(StreamTitleOf(row.block), row.title) << row.block;
}

TEST(Playlists, KindsByTypeOrFirstLineAndTheirFirstStreamEntry) {
  const struct {
    const char* type;
    std::string body;
    PlaylistKind kind;
    const char* entry;
  } rows[] = {
      {"audio/x-scpls", "[playlist]\r\nFile1=http://a/1\r\nFile2=http://a/2\r\n", PlaylistKind::Pls, "http://a/1"},
      {"text/plain", "\xEF\xBB\xBF[Playlist]\nfile1 = mms://x\nFile2=https://b/2 \n", PlaylistKind::Pls,
       "https://b/2"},
      {"AUDIO/X-MPEGURL; charset=utf-8", "#EXTM3U\n#EXTINF:-1,x\nrtsp://no\nhttp://c/3\n", PlaylistKind::M3u,
       "http://c/3"},
      {"", "\r\n  http://d/4\r\n", PlaylistKind::M3u, "http://d/4"},
      {"video/x-ms-asf", "<ASX version='3'><Entry><REF HREF = 'http://e/5'/></Entry></ASX>", PlaylistKind::Asx,
       "http://e/5"},
      {"text/xml", "<asx><entry><ref href=\"mms://f\"/><ref href=\"http://f/6\"/></entry></asx>",
       PlaylistKind::Asx, "http://f/6"},
      {"audio/x-scpls", "[playlist]\nFile1=http://bad host/\nFile2=javascript:x\n", PlaylistKind::Pls, ""},
      {"audio/mpeg", "\xFF\xFB\x90\x64", PlaylistKind::None, ""},
      {"text/html", "<!DOCTYPE html><html><body>Sign in</body></html>", PlaylistKind::None, ""},
      {"", "", PlaylistKind::None, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.body);
    EXPECT_EQ(PlaylistKindOf(row.type, row.body), row.kind);
    EXPECT_EQ(FirstPlaylistEntry(row.kind, row.body), row.entry);
  }
}

TEST(TitleText, UnicodeGbkAndLatin1TitlesBecomeDisplayText) {
  const struct {
    std::string raw;
    const char* station;
    std::string shown;
  } rows[] = {
      {"\xE5\x91\xA8\xE6\x9D\xB0\xE4\xBC\xA6 - \xE6\x99\xB4\xE5\xA4\xA9", "", "周杰伦 - 晴天"},  // UTF-8
      {"邓丽君 - 月亮代表我的心", "", "邓丽君 - 月亮代表我的心"},                                // GBK as sent
      {"Lo-Fi \xF0\x9F\x93\xBB \xD8\xB1", "", "Lo-Fi ? ?"},                                       // not in GBK
      {"  a\tb\r\nc\x7F  ", "", "abc"},                                                          // controls dropped
      {"\xE3\x80\x80 \xE4\xB8\xAD \xE3\x80\x80", "", "中"},                                       // blanks trimmed
      {"", "", ""},
      {"   ", "", ""},
      {"中国之声", "中国之声", ""},                                                                // repeats the name
      {std::string(300, 'x'), "", std::string(kMaxTitleBytes, 'x')},
  };
  for (const auto& row : rows) EXPECT_EQ(TitleDisplayText(row.raw, row.station, &GbkCharacterOf), row.shown) << row.raw;
  // Latin-1: each byte is its own character; those GBK holds keep their GBK form, the rest become "?".
  EXPECT_EQ(TitleDisplayText("Caf\xE9 \xC6", "", &GbkCharacterOf), "Caf" + GbkCharacterOf(0xE9) + " ?");
  // A long GBK title is cut on a character boundary: 255 bytes of "a" + whole characters, never half of one.
  std::string longGbk = "a";
  for (int i = 0; i < 200; ++i) longGbk += "中";
  const std::string shown = TitleDisplayText(longGbk, "", &GbkCharacterOf);
  EXPECT_EQ(shown.size(), 255u);
  EXPECT_EQ(shown.substr(shown.size() - 2), "中");
}

}  // namespace
}  // namespace trr
