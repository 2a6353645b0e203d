// The favourites' text work: typed addresses, the 添加电台 window's checks, row names made fit, the file
// Favorites.Dat read and written, and the store that keeps it beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_util.h"
#include "common/scoped_win.h"
#include "player/favorites/favorites_file.h"
#include "player/favorites/favorites_store.h"
#include "player/favorites/new_station_check.h"
#include "player/favorites/station_address.h"
#include "tests/harness/temp_dir.h"

namespace trr {
namespace {

TEST(StationAddress, TypedAddressesAreCheckedAndKeptPrintable) {
  struct Case {
    std::string typed;
    AddressCheck check;
    const char* clean;  // and its host after the bar
  };
  const Case cases[] = {
      {"  http://192.168.1.5:8000/live  ", AddressCheck::Ok, "http://192.168.1.5:8000/live|192.168.1.5"},
      {"HTTPS://Radio.cn/a b/电台?x=1", AddressCheck::Ok, "https://Radio.cn/a%20b/%B5%E7%CC%A8?x=1|Radio.cn"},
      {"mmsh://u:p@h_1:1/", AddressCheck::Ok, "mmsh://u:p@h_1:1/|h_1"},
      {"rtsp://[::1]:554/x", AddressCheck::Ok, "rtsp://[::1]:554/x|[::1]"},
      {"mms://localhost", AddressCheck::Ok, "mms://localhost|localhost"},
      {"http://h/" + std::string(2039, 'a'), AddressCheck::Ok, nullptr},
      {"http://h/" + std::string(2040, 'a'), AddressCheck::TooLong, ""},
      {"http://h/" + std::string(700, '\xb5'), AddressCheck::TooLong, ""},  // once escaped
      {"   ", AddressCheck::Empty, ""},
      {"ftp://host/x", AddressCheck::BadScheme, ""},
      {"radio.cn/live", AddressCheck::BadScheme, ""},
      {"http:/host", AddressCheck::BadScheme, ""},
      {"http://", AddressCheck::BadHost, ""},
      {"http://user@/x", AddressCheck::BadHost, ""},
      {"http://host:0/", AddressCheck::BadHost, ""},
      {"http://host:65536/", AddressCheck::BadHost, ""},
      {"http://host:/", AddressCheck::BadHost, ""},
      {"http://电台.cn/", AddressCheck::BadHost, ""},
      {"http://[::1/", AddressCheck::BadHost, ""},
      {"http://host/a\tb", AddressCheck::BadCharacter, ""},
  };
  for (const Case& c : cases) {
    std::string clean = "old";
    EXPECT_EQ(CleanTypedAddress(c.typed, clean), c.check) << c.typed;
    if (c.clean) {
      EXPECT_EQ(clean + (clean.empty() ? "" : "|" + AddressHost(clean)), c.clean) << c.typed;
    }
    EXPECT_EQ(IsStationAddress(clean), c.check == AddressCheck::Ok) << c.typed;
  }
  EXPECT_FALSE(IsStationAddress("HTTP://h/")) << "kept in lower case";
}

TEST(NewStationCheck, RefusalsAreSaidInChineseAndTheHostStandsInForNoName) {
  struct Case {
    const char* name;
    const char* address;
    const char* result;  // the kept name, or the refusal ("!" first when the address is at fault)
  };
  const Case cases[] = {
      {"  本地电台 ", "http://10.0.0.2/a", "本地电台"},
      {"", " http://radio.lan:8000/x ", "radio.lan"},
      {"名称", "", "!请填写电台的地址。"},
      {"名称", "www.radio.cn", "!地址须以 http://、https://、mms://、mmsh:// 或 rtsp:// 开头。"},
      {"名称", "http://:80/", "!地址中没有有效的主机名（或端口）。"},
      {"名称", "http://h/\x01", "!地址中不能有控制字符。"},
      {"a\tb", "http://h/", "名称中不能有控制字符。"},
      {"三十三个汉字三十三个汉字三十三个汉字三十三个汉字三十三个汉字三十三", "http://h/",
       "名称太长，最多 64 个字节（32 个汉字）。"},
  };
  for (const Case& c : cases) {
    const NewStationCheck check = CheckNewStation(c.name, c.address);
    EXPECT_EQ(check.accepted ? check.station.name : (check.addressAtFault ? "!" : "") + check.refusal, c.result);
    if (check.accepted) {
      EXPECT_TRUE(IsFavoriteStation(check.station)) << c.name;
    }
  }
  EXPECT_EQ(CheckNewStation("", "http://" + std::string(200, 'h') + "/").station.name, std::string(128, 'h'));
  // Names of the directory's rows, made fit: control bytes as spaces, cut after the last whole character.
  EXPECT_EQ(FavoriteName(" 中国\t之声\r\n"), "中国 之声");
  EXPECT_EQ(FavoriteName("a" + std::string(126, 'x') + "电"), "a" + std::string(126, 'x'));
}

std::vector<FavoriteStation> Three() {
  return {{StationKind::Builtin, "102", "", "中国之声"},
          {StationKind::Community, "9617a958-0601-11e8-ae97-52543be04c81", "http://s.example/x", "JP 电台 7"},
          {StationKind::Address, "", "mms://10.0.0.2/live", "本地电台"}};
}

const char kThreeFile[] =
    "TRRADIO FAVORITES 1\r\n"
    "builtin\t102\t\t中国之声\r\n"
    "community\t9617a958-0601-11e8-ae97-52543be04c81\thttp://s.example/x\tJP 电台 7\r\n"
    "address\t\tmms://10.0.0.2/live\t本地电台\r\n"
    "end\t3\r\n";

TEST(FavoritesFile, WholeFilesReadBackAndAnythingElseIsDamaged) {
  EXPECT_EQ(FormatFavoritesFile(Three()), kThreeFile);
  const std::string whole = kThreeFile, head = "TRRADIO FAVORITES 1\r\n";
  struct Case {
    std::string bytes;
    FavoritesFileState state;
    size_t stations;
  };
  const Case cases[] = {
      {whole, FavoritesFileState::Current, 3},
      {head + "builtin\t1\t\ta\r\nbuiltin\t1\t\tb\r\nend\t2\r\n", FavoritesFileState::Current, 1},  // kept once
      {whole.substr(0, whole.size() - 1), FavoritesFileState::Damaged, 0},                          // cut
      {whole.substr(0, whole.find("end")), FavoritesFileState::Damaged, 0},  // cut at a line's end
      {"", FavoritesFileState::Damaged, 0},
      {whole + "x\r\n", FavoritesFileState::Damaged, 0},
      {"TRRADIO FAVORITES 0\r\nend\t0\r\n", FavoritesFileState::Damaged, 0},
      {head + "builtin\t1\t\tna\x01me\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},  // a control character
      {head + "builtin\t1\t\t" + std::string(129, 'n') + "\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "address\t\thttp://h/" + std::string(3000, 'a') + "\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "builtin\t1\thttp://h/\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},  // a built-in has no address
      {head + "community\t../x\t\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "radio\t1\t\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      // A later version: what this one understands, without its end line, extra fields or other kinds.
      {"TRRADIO FAVORITES 2\r\nbuiltin\t1\t\tn\tnew\r\nvideo\t2\t\tv\r\nbuiltin\t1\t\tagain\r\naddress\t\thttp://h/\tn",
       FavoritesFileState::Newer, 2},
  };
  std::vector<FavoriteStation> read;
  for (const Case& c : cases) {
    EXPECT_EQ(ParseFavoritesFile(c.bytes, read), c.state) << c.bytes;
    EXPECT_EQ(read.size(), c.stations) << c.bytes;
  }
  std::vector<FavoriteStation> many(kMaxFavorites + 1, FavoriteStation{StationKind::Builtin, "", "", "n"});
  for (size_t i = 0; i < many.size(); ++i) many[i].id = std::to_string(i);
  EXPECT_EQ(ParseFavoritesFile(FormatFavoritesFile(many), read), FavoritesFileState::Damaged) << "too many";
}

TEST(FavoritesStore, ChangesAreWrittenWholeOrNotAtAll) {
  test::ScopedTempDir dir;
  const std::string path = FavoritesPath(dir.path());
  FavoritesStore store;
  ASSERT_EQ(store.Load(path), FavoritesStore::Loaded::NoFile);
  for (const FavoriteStation& s : Three()) EXPECT_EQ(store.Add(s), FavoritesStore::Change::Done);
  EXPECT_EQ(store.Add({StationKind::Builtin, "102", "", "别名"}), FavoritesStore::Change::Duplicate);
  EXPECT_EQ(store.Add({StationKind::Builtin, "1", "", ""}), FavoritesStore::Change::Invalid);
  EXPECT_EQ(store.Remove(Three()[1]), FavoritesStore::Change::Done);
  EXPECT_EQ(store.Remove(Three()[1]), FavoritesStore::Change::Missing);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, FormatFavoritesFile({Three()[0], Three()[2]}));

  // A folder that is gone: the write fails and the list stays as it was.
  FavoritesStore lost;
  lost.Load(dir.File("gone\\Favorites.Dat"));
  EXPECT_EQ(lost.Add(Three()[0]), FavoritesStore::Change::WriteFailed);
  EXPECT_TRUE(lost.Stations().empty());

  // A file held open by another program can be neither read nor set aside: nothing is written for the run.
  ScopedHandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(store.Load(path), FavoritesStore::Loaded::Unreadable);
  EXPECT_EQ(store.Add(Three()[1]), FavoritesStore::Change::ReadOnly);
  held.reset();

  // Long addresses fill the file's 256 KiB before the thousandth station: 135 of 1,900 bytes take one more.
  std::vector<FavoriteStation> stations(135, FavoriteStation{StationKind::Address, "", "", "n"});
  for (size_t i = 0; i < stations.size(); ++i)
    stations[i].address = "http://h/" + std::to_string(i) + std::string(1900, 'a');
  ASSERT_TRUE(WriteWholeFile(path, FormatFavoritesFile(stations)));
  ASSERT_EQ(store.Load(path), FavoritesStore::Loaded::Listed);
  FavoriteStation more{StationKind::Address, "", "http://h/more" + std::string(1900, 'a'), "n"};
  EXPECT_EQ(store.Add(more), FavoritesStore::Change::Done);
  more.address += "2";
  EXPECT_EQ(store.Add(more), FavoritesStore::Change::Full);
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_LE(bytes.size(), kMaxFavoritesFileBytes);
}

}  // namespace
}  // namespace trr
