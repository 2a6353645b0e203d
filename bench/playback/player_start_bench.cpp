// Start-up and idle cost of the player.
//  - Loading a directory into the list control (what the load handler does between reading GB.Dat and the list
//    being shown): 20 groups x 200 and x 2,000 stations, 200 groups x 10,000 and 1,000 groups x 100,000
//    stations; then opening every group, which makes the row elements the load left for later.
// (The idle cost of the running player is measured from outside by tools/bench-idle.sh.)
// Prints BENCH lines.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "common/file_util.h"
#include "listctrl/group_list.h"
#include "player/channel_loader.h"

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

}  // namespace

int main() {
  OleInitialize(nullptr);
  std::string picture;
  trr::ReadWholeFile(trr::ModuleDirectory() + "\\bench_listctrl_logo.gif", picture);
  if (picture.empty()) {
    std::printf("BENCH player_start_no_picture 1 flag\n");
    return 1;
  }
  BenchLoad(picture, 20, 200);
  BenchLoad(picture, 20, 2000);
  BenchLoad(picture, 200, 10000);
  BenchLoad(picture, 1000, 100000);
  OleUninitialize();
  return 0;
}
