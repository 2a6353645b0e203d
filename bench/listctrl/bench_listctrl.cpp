// Prints BENCH lines: handle lookup time in small and large documents, and the time of each step of filling
// one control with 50 groups and 1,000 or 10,000 rows, expanding, collapsing, sorting and emptying it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "common/file_util.h"
#include "listctrl/control_state.h"
#include "listctrl/group_list.h"
#include "listctrl/item_info.h"
#include "listctrl/pictures.h"

namespace {

using trr::Given;
using trr::GroupList;
using trr::ItemHandle;

// A 40 x 40 station picture (a blue disc with a yellow bar), GIF; used when the station logo is not beside
// the benchmark.
const unsigned char kStationGif[] = {
    71,  73,  70,  56,  55,  97,  40,  0,   40,  0,   129, 0,   0,   255, 255, 255, 30,  90,  200, 240, 180, 30,
    0,   0,   0,   44,  0,   0,   0,   0,   40,  0,   40,  0,   64,  8,   184, 0,   1,   8,   28,  72,  176, 160,
    193, 131, 8,   19,  18,  12,  192, 176, 161, 195, 135, 16,  25,  42,  28,  24,  209, 161, 128, 139, 24,  49,
    86,  108, 152, 112, 35,  195, 140, 32,  61,  6,   152, 40,  80,  164, 73,  146, 40,  35,  162, 236, 184, 17,
    100, 70,  143, 44,  61,  186, 212, 40,  50,  102, 196, 153, 23,  97,  174, 60,  168, 114, 167, 207, 159, 64,
    1,   152, 124, 24,  180, 34,  78,  1,   21,  73,  138, 60,  90,  147, 231, 82,  156, 39,  13,  154, 100, 218,
    84,  170, 76,  168, 58,  21,  26,  197, 10,  177, 232, 80,  142, 65,  195, 138, 29,  75,  182, 236, 206, 161,
    101, 191, 18,  253, 169, 54,  235, 196, 150, 92,  187, 190, 133, 59,  211, 173, 85,  186, 46,  171, 22,  156,
    26,  55,  233, 93,  188, 33,  245, 82,  124, 90,  87,  112, 73,  194, 121, 13,  31,  6,   252, 210, 238, 94,
    198, 52,  253, 106, 221, 90,  184, 167, 210, 182, 146, 207, 98,  30,  73,  22,  173, 217, 207, 160, 87,  6,
    4,   0,   59};

// The avatar of every row: the station logo beside the program, else the built-in picture.
const std::string& StationPicture() {
  static const std::string picture = [] {
    std::string bytes;
    if (trr::ReadWholeFile(trr::ModuleDirectory() + "\\bench_listctrl_logo.gif", bytes) && !bytes.empty()) return bytes;
    return std::string(reinterpret_cast<const char*>(kStationGif), sizeof kStationGif);
  }();
  return picture;
}

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

void Bench(const std::string& name, double value, const char* unit) {
  std::printf("BENCH %s %.3f %s\n", name.c_str(), value, unit);
  std::fflush(stdout);
}

HWND NewContainer() {
  static bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ListBenchContainer";
    return RegisterClassA(&windowClass) != 0;
  }();
  (void)registered;
  return CreateWindowExA(0, "ListBenchContainer", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 600, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Time per FindItem lookup, in microseconds, in a control holding `rows` rows.
double LookupMicroseconds(int rows) {
  HWND container = NewContainer();
  GroupList list;
  list.Create(container, {}, Given(1), Given(1));
  const std::string& picture = StationPicture();
  std::vector<ItemHandle> handles;
  ItemHandle group = 0;
  for (int i = 0; i < rows; ++i) {
    if (i % 200 == 0) group = list.AddGroup("group");
    trr::RowData row;
    row.groupHandle = group;
    row.avatarPicture = picture;
    row.name = "station";
    list.AddItem(row);
    handles.push_back(row.handle);
  }
  trr::ControlState& state = *trr::FindControlByList(list.listWindow());
  const int lookups = 20000;
  trr::ItemInfo info;
  int found = 0;
  const double start = Now();
  for (int i = 0; i < lookups; ++i) found += trr::FindItem(state, handles[(i * 7919) % handles.size()], info);
  const double perLookup = (Now() - start) / lookups * 1e6;
  if (found != lookups) std::printf("lookup missed %d of %d\n", lookups - found, lookups);
  DestroyWindow(container);
  return perLookup;
}

// Time per row added to an expanded group (each gets its own ListBox entry), in milliseconds.
double ExpandedAddMilliseconds(int rows) {
  HWND container = NewContainer();
  GroupList list;
  list.Create(container, {}, Given(1), Given(1));
  const std::string& picture = StationPicture();
  ItemHandle groups[5];
  for (ItemHandle& group : groups) group = list.AddGroup("open", Given(true));
  const double start = Now();
  for (int i = 0; i < rows; ++i) {
    trr::RowData row;
    row.groupHandle = groups[i % 5];
    row.avatarPicture = picture;
    row.name = "station";
    list.AddItem(row);
  }
  const double perRow = (Now() - start) / rows * 1000;
  DestroyWindow(container);
  return perRow;
}

void FillAndEmpty(int rows) {
  const std::string size = std::to_string(rows);
  HWND container = NewContainer();
  GroupList list;
  double start = Now();
  list.Create(container, {}, Given(1), Given(1));
  Bench("listctrl_create_" + size, (Now() - start) * 1000, "ms");
  const std::string& picture = StationPicture();
  start = Now();
  std::vector<ItemHandle> groups;
  for (int g = 0; g < 50; ++g) groups.push_back(list.AddGroup("分组" + std::to_string(g)));
  Bench("listctrl_add_50_groups_" + size, (Now() - start) * 1000, "ms");
  for (int i = 0; i < rows; ++i) {
    trr::RowData row;
    row.groupHandle = groups[i % 50];
    row.avatarPicture = picture;
    row.name = "电台" + std::to_string(i);
    row.number = std::to_string(i);
    row.online = i % 3 != 0;
    list.AddItem(row);
  }
  Bench("listctrl_fill_" + size + "_rows", (Now() - start) * 1000, "ms");
  Bench("listctrl_avatar_bitmaps_after_fill_" + size, trr::LiveAvatarBitmapCount(), "bitmaps");
  Pump();
  start = Now();
  list.ExpandAllGroups();
  Bench("listctrl_expand_all_" + size + "_rows", (Now() - start) * 1000, "ms");
  Pump();
  start = Now();
  list.SortAllGroups();
  Bench("listctrl_sort_all_expanded_" + size + "_rows", (Now() - start) * 1000, "ms");
  Pump();
  start = Now();
  list.CollapseAllGroups();
  Bench("listctrl_collapse_all_" + size + "_rows", (Now() - start) * 1000, "ms");
  start = Now();
  list.SortAllGroups();
  Bench("listctrl_sort_all_collapsed_" + size + "_rows", (Now() - start) * 1000, "ms");
  list.ExpandAllGroups();
  Pump();
  start = Now();
  list.RemoveGroup();
  Bench("listctrl_remove_all_expanded_" + size + "_rows", (Now() - start) * 1000, "ms");
  Bench("listctrl_avatar_bitmaps_after_remove_" + size, trr::LiveAvatarBitmapCount(), "bitmaps");
  start = Now();
  DestroyWindow(container);
  Bench("listctrl_destroy_" + size, (Now() - start) * 1000, "ms");
}

}  // namespace

int main() {
  OleInitialize(nullptr);
  Bench("listctrl_avatar_picture_bytes", static_cast<double>(StationPicture().size()), "bytes");
  const double small = LookupMicroseconds(100);
  const double large = LookupMicroseconds(10000);
  Bench("listctrl_lookup_100_rows", small, "us");
  Bench("listctrl_lookup_10000_rows", large, "us");
  Bench("listctrl_lookup_ratio_10000_to_100", large / small, "x");
  Bench("listctrl_add_row_to_expanded_group", ExpandedAddMilliseconds(200), "ms");
  FillAndEmpty(1000);
  FillAndEmpty(10000);
  OleUninitialize();
  return 0;
}
