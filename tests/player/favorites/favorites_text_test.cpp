// The favourites' text work: typed addresses, the 添加电台 window's checks, and the file Favorites.Dat read and
// written (whole, cut, altered, of a later version), and the store that keeps it beside the program.
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
    const char* typed;
    AddressCheck check;
    const char* clean;
    const char* host;
  };
  const Case cases[] = {
      {"  http://192.168.1.5:8000/live  ", AddressCheck::Ok, "http://192.168.1.5:8000/live", "192.168.1.5"},
      {"HTTPS://Radio.Example.cn/a b/电台?x=1", AddressCheck::Ok, "https://Radio.Example.cn/a%20b/%B5%E7%CC%A8?x=1",
       "Radio.Example.cn"},
      {"mms://media.local/s", AddressCheck::Ok, "mms://media.local/s", "media.local"},
      {"mmsh://u:p@h_1:1/", AddressCheck::Ok, "mmsh://u:p@h_1:1/", "h_1"},
      {"rtsp://[::1]:554/x", AddressCheck::Ok, "rtsp://[::1]:554/x", "[::1]"},
      {"http://localhost", AddressCheck::Ok, "http://localhost", "localhost"},
      {"   ", AddressCheck::Empty, "", ""},
      {"ftp://host/x", AddressCheck::BadScheme, "", ""},
      {"radio.example.cn/live", AddressCheck::BadScheme, "", ""},
      {"http:/host", AddressCheck::BadScheme, "", ""},
      {"http://", AddressCheck::BadHost, "", ""},
      {"http:///path", AddressCheck::BadHost, "", ""},
      {"http://user@/x", AddressCheck::BadHost, "", ""},
      {"http://host:0/", AddressCheck::BadHost, "", ""},
      {"http://host:65536/", AddressCheck::BadHost, "", ""},
      {"http://host:/", AddressCheck::BadHost, "", ""},
      {"http://电台.cn/", AddressCheck::BadHost, "", ""},
      {"http://[::1/", AddressCheck::BadHost, "", ""},
      {"http://host/a\tb", AddressCheck::BadCharacter, "", ""},
      {"http://host/\x7f", AddressCheck::BadCharacter, "", ""},
  };
  for (const Case& c : cases) {
    std::string clean = "old";
    EXPECT_EQ(CleanTypedAddress(c.typed, clean), c.check) << c.typed;
    EXPECT_EQ(clean, c.clean) << c.typed;
    EXPECT_EQ(AddressHost(clean), c.host) << c.typed;
    if (c.check == AddressCheck::Ok) {
      EXPECT_TRUE(IsStationAddress(clean)) << c.typed;
    }
  }
  std::string clean;
  EXPECT_EQ(CleanTypedAddress("http://h/" + std::string(2039, 'a'), clean), AddressCheck::Ok);
  EXPECT_EQ(CleanTypedAddress("http://h/" + std::string(2040, 'a'), clean), AddressCheck::TooLong);
  EXPECT_EQ(CleanTypedAddress("http://h/" + std::string(700, '\xb5'), clean), AddressCheck::TooLong) << "escaped";
  EXPECT_FALSE(IsStationAddress("HTTP://h/")) << "kept in lower case";
  EXPECT_FALSE(IsStationAddress(" http://h/"));
}

TEST(NewStationCheck, RefusalsAreSaidInChineseAndTheHostStandsInForNoName) {
  struct Case {
    const char* name;
    const char* address;
    const char* refusal;  // nullptr: accepted
    bool addressAtFault;
    const char* keptName;
  };
  const std::string longest(kMaxTypedNameBytes, 'n');
  const Case cases[] = {
      {"  本地电台 ", "http://10.0.0.2/a", nullptr, false, "本地电台"},
      {"", " http://radio.lan:8000/x ", nullptr, false, "radio.lan"},
      {longest.c_str(), "http://h/", nullptr, false, longest.c_str()},
      {"名称", "", "请填写电台的地址。", true, nullptr},
      {"名称", "www.radio.cn", "地址须以 http://、https://、mms://、mmsh:// 或 rtsp:// 开头。", true, nullptr},
      {"名称", "http://:80/", "地址中没有有效的主机名（或端口）。", true, nullptr},
      {"名称", "http://h/\x01", "地址中不能有控制字符。", true, nullptr},
      {"a\tb", "http://h/", "名称中不能有控制字符。", false, nullptr},
      {"三十三个汉字三十三个汉字三十三个汉字三十三个汉字三十三个汉字三十三", "http://h/",
       "名称太长，最多 64 个字节（32 个汉字）。", false, nullptr},
  };
  for (const Case& c : cases) {
    const NewStationCheck check = CheckNewStation(c.name, c.address);
    EXPECT_EQ(check.accepted, c.refusal == nullptr) << c.name << " " << c.address;
    EXPECT_EQ(check.refusal, c.refusal ? c.refusal : "") << c.name;
    EXPECT_EQ(check.addressAtFault, c.addressAtFault) << c.name;
    if (c.keptName) {
      EXPECT_EQ(check.station.name, c.keptName);
    }
    if (check.accepted) {
      EXPECT_EQ(check.station.kind, StationKind::Address);
      EXPECT_TRUE(IsFavoriteStation(check.station)) << c.name;
    }
  }
  EXPECT_EQ(CheckNewStation("", "http://" + std::string(200, 'h') + "/").station.name, std::string(128, 'h'));
}

TEST(FavoriteStation, RowNamesAreMadeFitAndStationsKnownByKindAndKey) {
  const std::string cut = "a" + std::string(126, 'x') + "电";  // 129 bytes: the last character would not fit
  struct Case {
    std::string name;
    std::string fit;
  };
  const Case cases[] = {{" 中国\t之声\r\n", "中国 之声"}, {cut, "a" + std::string(126, 'x')},
                        {std::string(200, 'n'), std::string(128, 'n')}, {"\x01\x7f", ""}};
  for (const Case& c : cases) EXPECT_EQ(FavoriteName(c.name), c.fit) << c.name;

  const FavoriteStation builtin{StationKind::Builtin, "7", "", "a"}, community{StationKind::Community, "7", "", "b"},
      typed{StationKind::Address, "", "http://h/7", "c"};
  EXPECT_FALSE(SameStation(builtin, community)) << "the same id in another directory";
  EXPECT_TRUE(SameStation(typed, FavoriteStation{StationKind::Address, "", "http://h/7", "other name"}));
  EXPECT_NE(StationKey(builtin), StationKey(community));
  EXPECT_EQ(StationKey(typed), StationKey(FavoriteStation{StationKind::Address, "x", "http://h/7", "d"}));
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

bool Same(const std::vector<FavoriteStation>& a, const std::vector<FavoriteStation>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameStation(a[i], b[i]) || a[i].name != b[i].name || a[i].address != b[i].address) return false;
  return true;
}

TEST(FavoritesFile, WholeFilesReadBackAndAnythingElseIsDamaged) {
  EXPECT_EQ(FormatFavoritesFile(Three()), kThreeFile);
  std::vector<FavoriteStation> read;
  ASSERT_EQ(ParseFavoritesFile(kThreeFile, read), FavoritesFileState::Current);
  EXPECT_TRUE(Same(read, Three()));

  const std::string whole = kThreeFile;
  const std::string head = "TRRADIO FAVORITES 1\r\n";
  struct Case {
    std::string bytes;
    FavoritesFileState state;
    size_t stations;
  };
  const Case cases[] = {
      {head + "end\t0\r\n", FavoritesFileState::Current, 0},
      {head + "builtin\t1\t\ta\r\nbuiltin\t1\t\tb\r\nend\t2\r\n", FavoritesFileState::Current, 1},  // kept once
      {whole.substr(0, whole.size() - 1), FavoritesFileState::Damaged, 0},                          // cut
      {whole.substr(0, whole.find("end")), FavoritesFileState::Damaged, 0},  // cut at a line's end
      {"", FavoritesFileState::Damaged, 0},
      {head, FavoritesFileState::Damaged, 0},
      {whole + "x\r\n", FavoritesFileState::Damaged, 0},
      {head + "end\t1\r\n", FavoritesFileState::Damaged, 0},
      {"TRRADIO FAVORITES 0\r\nend\t0\r\n", FavoritesFileState::Damaged, 0},
      {"TRRADIO FAVORITES x\r\nend\t0\r\n", FavoritesFileState::Damaged, 0},
      {head + "builtin\t1\t\tna\x01me\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},   // control character
      {head + "builtin\t1\t\t" + std::string(129, 'n') + "\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "address\t\thttp://h/" + std::string(3000, 'a') + "\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "builtin\t1\thttp://h/\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},  // a built-in has no address
      {head + "community\t../x\t\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "address\t\tftp://h/\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "radio\t1\t\tn\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      {head + "builtin\t1\t\tn\textra\r\nend\t1\r\n", FavoritesFileState::Damaged, 0},
      // A later version: what this one understands, without its end line, extra fields or other kinds.
      {"TRRADIO FAVORITES 2\r\nbuiltin\t1\t\tn\tnew field\r\nvideo\t2\t\tv\r\nbuiltin\t1\t\tagain\r\n"
       "address\t\thttp://h/\tn",
       FavoritesFileState::Newer, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseFavoritesFile(c.bytes, read), c.state) << c.bytes;
    EXPECT_EQ(read.size(), c.stations) << c.bytes;
  }
  std::vector<FavoriteStation> many(kMaxFavorites + 1, FavoriteStation{StationKind::Builtin, "", "", "n"});
  for (size_t i = 0; i < many.size(); ++i) many[i].id = std::to_string(i);
  EXPECT_EQ(ParseFavoritesFile(FormatFavoritesFile(many), read), FavoritesFileState::Damaged) << "too many";
  many.pop_back();
  EXPECT_EQ(ParseFavoritesFile(FormatFavoritesFile(many), read), FavoritesFileState::Current);
  EXPECT_EQ(read.size(), kMaxFavorites);
}

TEST(FavoritesStore, ChangesAreWrittenWholeAndAnUnreadableFileIsSetAside) {
  test::ScopedTempDir dir;
  const std::string path = FavoritesPath(dir.path()), bad = path + ".bad";
  FavoritesStore store;
  ASSERT_EQ(store.Load(path), FavoritesStore::Loaded::NoFile);
  EXPECT_FALSE(FileExists(path)) << "nothing is written before the first change";
  for (const FavoriteStation& s : Three()) EXPECT_EQ(store.Add(s), FavoritesStore::Change::Done);
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, kThreeFile);
  FavoriteStation renamed = Three()[0];
  renamed.name = "别名";
  EXPECT_EQ(store.Add(renamed), FavoritesStore::Change::Duplicate);
  EXPECT_TRUE(store.Contains(renamed));
  EXPECT_EQ(store.Add(FavoriteStation{StationKind::Builtin, "1", "", ""}), FavoritesStore::Change::Invalid);
  EXPECT_EQ(store.Remove(Three()[1]), FavoritesStore::Change::Done);
  EXPECT_EQ(store.Remove(Three()[1]), FavoritesStore::Change::Missing);
  FavoritesStore again;
  ASSERT_EQ(again.Load(path), FavoritesStore::Loaded::Listed);
  EXPECT_TRUE(Same(again.Stations(), {Three()[0], Three()[2]}));

  // A write that fails changes nothing (the path's folder is gone).
  FavoritesStore lost;
  EXPECT_EQ(lost.Load(dir.File("no folder\\Favorites.Dat")), FavoritesStore::Loaded::NoFile);
  EXPECT_EQ(lost.Add(Three()[0]), FavoritesStore::Change::WriteFailed);
  EXPECT_TRUE(lost.Stations().empty());

  // Damaged files are set aside whole, replacing an older one; the list starts empty and writable.
  ASSERT_TRUE(WriteWholeFile(bad, "older"));
  const std::string cut = std::string(kThreeFile).substr(0, 40);
  ASSERT_TRUE(WriteWholeFile(path, cut));
  ASSERT_EQ(again.Load(path), FavoritesStore::Loaded::SetAside);
  EXPECT_TRUE(again.Stations().empty());
  ASSERT_TRUE(ReadWholeFile(bad, bytes));
  EXPECT_EQ(bytes, cut);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(again.Add(Three()[2]), FavoritesStore::Change::Done);
  ASSERT_TRUE(WriteWholeFile(path, std::string(kMaxFavoritesFileBytes + 1, 'x')));
  EXPECT_EQ(again.Load(path), FavoritesStore::Loaded::SetAside) << "too large";

  // A later version's file is listed and never written.
  const std::string newer = "TRRADIO FAVORITES 7\r\nbuiltin\t5\t\t新版\r\n";
  ASSERT_TRUE(WriteWholeFile(path, newer));
  ASSERT_EQ(again.Load(path), FavoritesStore::Loaded::Newer);
  EXPECT_EQ(again.mode(), FavoritesStore::Mode::NewerFile);
  ASSERT_EQ(again.Stations().size(), 1u);
  EXPECT_EQ(again.Add(Three()[0]), FavoritesStore::Change::ReadOnly);
  EXPECT_EQ(again.Remove(again.Stations()[0]), FavoritesStore::Change::ReadOnly);
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, newer);

  // A file held open by another program can be neither read nor renamed: nothing is written for the run.
  ASSERT_TRUE(WriteWholeFile(path, kThreeFile));
  ScopedHandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(again.Load(path), FavoritesStore::Loaded::Unreadable);
  EXPECT_EQ(again.Add(Three()[0]), FavoritesStore::Change::ReadOnly);
  held.reset();
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, kThreeFile);
}

TEST(FavoritesStore, AFullListTakesNoMore) {
  // A list one short of the most stations, and one whose long addresses leave the file just under 256 KiB.
  struct Case {
    size_t stations;
    size_t addressBytes;
  };
  for (Case c : {Case{kMaxFavorites - 1, 8}, Case{135, 1900}}) {
    test::ScopedTempDir dir;
    std::vector<FavoriteStation> stations(c.stations, FavoriteStation{StationKind::Address, "", "", "n"});
    for (size_t i = 0; i < stations.size(); ++i)
      stations[i].address = "http://h/" + std::to_string(i) + std::string(c.addressBytes, 'a');
    const std::string path = FavoritesPath(dir.path());
    ASSERT_TRUE(WriteWholeFile(path, FormatFavoritesFile(stations)));
    FavoritesStore store;
    ASSERT_EQ(store.Load(path), FavoritesStore::Loaded::Listed);
    FavoriteStation more{StationKind::Address, "", "http://h/more" + std::string(c.addressBytes, 'a'), "n"};
    EXPECT_EQ(store.Add(more), FavoritesStore::Change::Done) << c.stations;
    more.address += "2";
    EXPECT_EQ(store.Add(more), FavoritesStore::Change::Full) << c.stations;
    EXPECT_EQ(store.Stations().size(), c.stations + 1);
    std::string file;
    ASSERT_TRUE(ReadWholeFile(path, file));
    EXPECT_LE(file.size(), kMaxFavoritesFileBytes);
    EXPECT_EQ(ParseFavoritesFile(file, stations), FavoritesFileState::Current);
  }
}

}  // namespace
}  // namespace trr
