// Start-up and idle cost of the player.
//  - Loading a directory into the list control (what the load handler does between reading GB.Dat and the list
//    being shown): 20 groups x 200 and x 2,000 stations, 200 groups x 10,000 and 1,000 groups x 100,000
//    stations; then opening every group, which makes the row elements the load left for later.
//  - A directory that hits the list's limits: one group of 5,000 stations listed 5,000 times (25,000,000 rows
//    before the limits, 20 groups and 100,000 rows after), parsing and filling timed apart.
//  - The community list's cache file with 5,000 stations in 13 groups: its size, reading and parsing it, and
//    filling the list from it.
// (The idle cost of the running player is measured from outside by tools/bench-idle.sh.)
// Prints BENCH lines.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "common/file_util.h"
#include "listctrl/group_list.h"
#include "player/community/community_cache.h"
#include "player/community/community_list.h"
#include "player/directory/builtin_list.h"
#include "player/directory/channel_document.h"
#include "player/list/channel_list.h"

namespace {

std::string MakeDocument(int groups, int stations) {
  std::string document = "<type>";
  for (int g = 0; g < groups; ++g) document += (g ? ";" : "") + std::string("分组") + std::to_string(g);
  document += "</type><tvdata>";
  for (int s = 0; s < stations; ++s)
    document += "电台" + std::to_string(s) + "|" + std::to_string(1000 + s) + "|分组" +
                std::to_string(s % groups) + "\r\n";
  return document + "</tvdata>";
}

int32_t __stdcall IgnoreDoubleClick(int32_t, int32_t, int32_t) { return 0; }

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void BenchLoad(const std::string& picture, int groups, int stations) {
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 267, 310, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  ShowWindow(container, SW_SHOWNA);
  std::string document = MakeDocument(groups, stations);
  trr::GroupList list;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  int added = trr::LoadChannelList(list, container, document, picture, IgnoreDoubleClick);
  UpdateWindow(list.listWindow());
  QueryPerformanceCounter(&end);
  std::printf("BENCH load_%dx%d %.1f ms\n", groups, stations, Milliseconds(start, end));
  if (added != groups) std::printf("BENCH load_%dx%d_groups_wrong %d count\n", groups, stations, added);
  QueryPerformanceCounter(&start);
  list.ExpandAllGroups();
  UpdateWindow(list.listWindow());
  QueryPerformanceCounter(&end);
  std::printf("BENCH expand_all_after_load_%dx%d %.1f ms\n", groups, stations, Milliseconds(start, end));
  DestroyWindow(container);
}

// One group of `stations` stations, the group list naming it `repeat` times.
std::string MakeRepeatedDocument(int stations, int repeat) {
  std::string document = "<type>";
  for (int r = 0; r < repeat; ++r) document += (r ? ";" : "") + std::string("分组");
  document += "</type><tvdata>";
  for (int s = 0; s < stations; ++s) document += "电台" + std::to_string(s) + "|" + std::to_string(1000 + s) + "|分组\r\n";
  return document + "</tvdata>";
}

void BenchCappedLoad(const std::string& picture) {
  const std::string document = MakeRepeatedDocument(5000, 5000);
  LARGE_INTEGER start, parsed, loaded;
  QueryPerformanceCounter(&start);
  size_t rows = 0;
  const trr::ChannelDirectory directory = trr::ParseChannelDocument(document);
  const auto& groups = directory.groups;
  for (const auto& g : groups) rows += g.stations.size();
  QueryPerformanceCounter(&parsed);
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 267, 310, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  ShowWindow(container, SW_SHOWNA);
  trr::GroupList list;
  LARGE_INTEGER fillStart;
  QueryPerformanceCounter(&fillStart);
  // The directory arrives parsed, as from the directory worker: the window thread only fills.
  int added = trr::CreateChannelList(list, container, IgnoreDoubleClick)
                  ? trr::FillChannelList(list, groups, picture)
                  : 0;
  UpdateWindow(list.listWindow());
  QueryPerformanceCounter(&loaded);
  const double parseMs = Milliseconds(start, parsed);
  const double fillMs = Milliseconds(fillStart, loaded);
  std::printf("BENCH capped_directory_bytes %zu bytes\n", document.size());
  std::printf("BENCH capped_parse %.1f ms\n", parseMs);
  std::printf("BENCH capped_fill %.1f ms\n", fillMs);
  std::printf("BENCH capped_load %.1f ms\n", parseMs + fillMs);
  std::printf("BENCH capped_groups %d count\n", added);
  std::printf("BENCH capped_rows %zu count\n", rows);
  DestroyWindow(container);
}

// 5,000 stations in 13 groups as the community fetch makes them: ids of 36 characters, addresses of about 60,
// names of 4 to 20 characters.
trr::CommunityDirectory MakeCommunityDirectory() {
  trr::CommunityDirectory directory;
  directory.fetchedAt = trr::UnixTimeNow();
  directory.server = "https://de1.api.example.org";
  int station = 0;
  for (int g = 0; g < 13; ++g) {
    trr::CommunityGroup group{"分组" + std::to_string(g), {}};
    const int rows = g < 12 ? 385 : 5000 - 12 * 385;
    for (int r = 0; r < rows; ++r, ++station) {
      char uuid[40];
      std::snprintf(uuid, sizeof(uuid), "9617a958-0601-11e8-ae97-%012d", station);
      group.rows.push_back(trr::CommunityRow{uuid, "http://stream" + std::to_string(station % 97) +
                                                       ".example.net:8000/live/" + uuid + ".mp3",
                                             "电台 " + std::string(station % 7 * 2, 'x') + std::to_string(station)});
    }
    directory.groups.push_back(std::move(group));
  }
  return directory;
}

void BenchCommunityCache(const std::string& picture) {
  const std::string path = trr::ModuleDirectory() + "\\bench_community.dat";
  const trr::CommunityDirectory made = MakeCommunityDirectory();
  trr::WriteFileAtomically(path, trr::FormatCommunityCache(made));
  std::string bytes;
  trr::ReadWholeFile(path, bytes);
  std::printf("BENCH community_cache_5000_bytes %zu bytes\n", bytes.size());
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 267, 310, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  ShowWindow(container, SW_SHOWNA);
  trr::GroupList list;
  trr::CreateChannelList(list, container, IgnoreDoubleClick);
  LARGE_INTEGER start, read, filled;
  QueryPerformanceCounter(&start);
  trr::CommunityDirectory directory;
  const bool ok = trr::ReadCommunityCache(path, directory);
  QueryPerformanceCounter(&read);
  trr::CommunityAddressTable addresses;
  const size_t rows = trr::LoadCommunityList(list, directory, picture, addresses);
  UpdateWindow(list.listWindow());
  QueryPerformanceCounter(&filled);
  std::printf("BENCH community_cache_5000_read %.1f ms\n", Milliseconds(start, read));
  std::printf("BENCH community_cache_5000_fill %.1f ms\n", Milliseconds(read, filled));
  if (!ok || rows != 5000) std::printf("BENCH community_cache_5000_wrong %zu count\n", rows);
  DestroyWindow(container);
  DeleteFileA(path.c_str());
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  std::string picture;
  trr::ReadWholeFile(trr::ModuleDirectory() + "\\bench_listctrl_logo.gif", picture);
  if (picture.empty()) {
    std::printf("BENCH player_start_no_picture 1 flag\n");
    return 1;
  }
  BenchCommunityCache(picture);
  BenchCappedLoad(picture);
  BenchLoad(picture, 20, 200);
  BenchLoad(picture, 20, 2000);
  BenchLoad(picture, 200, 10000);
  BenchLoad(picture, 1000, 100000);
  OleUninitialize();
  return 0;
}
