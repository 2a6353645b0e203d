// The favourites' cost with 1,000 of them above a built-in directory of 10,000 stations in 200 groups: reading
// Favorites.Dat and showing 我的收藏 (what the start adds), one remove (to 999) and one add (back to 1,000), each
// writing the file whole and refilling 我的收藏, and the file's part of a change alone; median and worst of 21
// each. Prints BENCH lines.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/file_util.h"
#include "player/directory/channel_document.h"
#include "player/favorites/favorites.h"
#include "player/favorites/favorites_file.h"
#include "player/list/channel_list.h"
#include "player/sources/source_choice.h"

namespace {

int32_t __stdcall IgnoreDoubleClick(int32_t, int32_t, int32_t) { return 0; }

double Now() {
  LARGE_INTEGER frequency, count;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Directory() {
  std::string document = "<type>";
  for (int g = 0; g < 200; ++g) document += (g ? ";" : "") + std::string("分组") + std::to_string(g);
  document += "</type><tvdata>";
  for (int s = 0; s < 10000; ++s)
    document += "电台" + std::to_string(s) + "|" + std::to_string(1000 + s) + "|分组" + std::to_string(s % 200) +
                "\r\n";
  return document + "</tvdata>";
}

void Report(const char* name, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("BENCH %s_median %.2f ms\n", name, times[times.size() / 2]);
  std::printf("BENCH %s_worst %.2f ms\n", name, times.back());
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  std::string picture;
  trr::ReadWholeFile(trr::ModuleDirectory() + "\\bench_listctrl_logo.gif", picture);
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 100, 267, 310, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
  ShowWindow(container, SW_SHOWNA);
  trr::GroupList list;
  if (picture.empty() || !trr::CreateChannelList(list, container, IgnoreDoubleClick)) {
    std::printf("BENCH favorites_setup_failed 1 flag\n");
    return 1;
  }
  trr::FillChannelList(list, trr::ParseChannelDocument(Directory()).groups, picture);
  trr::SourceChoice::Setup sourceSetup;
  sourceSetup.window = container;
  sourceSetup.list = &list;
  sourceSetup.stationPicture = picture;
  trr::SourceChoice sources(sourceSetup);

  const std::string path = trr::ModuleDirectory() + "\\bench_Favorites.Dat";
  std::vector<trr::FavoriteStation> stations;
  for (int i = 0; i < 1000; ++i)
    stations.push_back({trr::StationKind::Builtin, std::to_string(1000 + i * 7), "", "收藏电台" + std::to_string(i)});
  trr::WriteFileAtomically(path, trr::FormatFavoritesFile(stations));
  std::vector<double> loads, adds, removes;
  for (int round = 0; round < 21; ++round) {
    // As at a start: no 我的收藏 yet.
    sources.Top().Clear(trr::TopSlot::Favourites);
    trr::Favorites favorites({container, &list, &sources, GetModuleHandleA(nullptr), path});
    double start = Now();
    favorites.Load();
    UpdateWindow(list.listWindow());
    loads.push_back(Now() - start);
    start = Now();
    const bool removed = favorites.Remove(stations.back()) == trr::FavoritesStore::Change::Done;
    UpdateWindow(list.listWindow());
    removes.push_back(Now() - start);
    start = Now();
    const bool added = favorites.Add(stations.back()) == trr::FavoritesStore::Change::Done;
    UpdateWindow(list.listWindow());
    adds.push_back(Now() - start);
    if (!added || !removed || favorites.Store().Stations().size() != 1000) {
      std::printf("BENCH favorites_change_failed 1 flag\n");
      return 1;
    }
  }
  // The file's part of it alone: one remove and one add written whole, without the list.
  std::vector<double> fileChanges;
  trr::FavoritesStore store;
  store.Load(path);
  for (int round = 0; round < 21; ++round) {
    double start = Now();
    store.Remove(stations.back());
    store.Add(stations.back());
    fileChanges.push_back((Now() - start) / 2);
  }
  Report("favorites_1000_load", loads);
  Report("favorites_1000_file_change", fileChanges);
  Report("favorites_1000_add", adds);
  Report("favorites_1000_remove", removes);
  DeleteFileA(path.c_str());
  DestroyWindow(container);
  OleUninitialize();
  return 0;
}
