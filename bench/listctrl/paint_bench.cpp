// Figures of the painting side of the list control: the cost of composing one entry, of grey copies, and of
// avatar decoding with and without sharing. Prints BENCH lines.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"

namespace {

double Now() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string Bmp(int w, int h, int seed) {
  const int rowBytes = (w * 3 + 3) & ~3;
  std::string file(54 + rowBytes * h, '\0');
  auto put = [&](int at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<uint32_t>(file.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, w, 4);
  put(22, h, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      char* p = &file[54 + y * rowBytes + 3 * x];
      p[0] = static_cast<char>(x * 5 + seed);
      p[1] = static_cast<char>(y * 3 + seed * 7);
      p[2] = static_cast<char>(x ^ y ^ seed);
    }
  }
  return file;
}

void Report(const char* name, double value, const char* unit) { std::printf("BENCH %s %.3f %s\n", name, value, unit); }

}  // namespace

int main() {
  OleInitialize(nullptr);
  using namespace trr;

  // Grey copies: one avatar-sized picture and one large picture.
  for (int side : {40, 400}) {
    HBITMAP source = static_cast<HBITMAP>(PictureFromBytes(Bmp(side, side, 3)));
    const int rounds = side == 40 ? 200 : 10;
    double start = Now();
    for (int i = 0; i < rounds; ++i) DeleteObject(GreyBitmap(source));
    const std::string name = "listctrl_grey_bitmap_" + std::to_string(side) + "px";
    Report(name.c_str(), (Now() - start) / rounds * 1e6, "us");
    DeleteObject(source);
  }

  // Decoding a 40 x 40 avatar, and acquiring one that is already shared.
  const std::string avatar = Bmp(40, 40, 9);
  double start = Now();
  for (int i = 0; i < 200; ++i) DeleteObject(static_cast<HBITMAP>(PictureFromBytes(avatar)));
  Report("listctrl_avatar_decode", (Now() - start) / 200 * 1e6, "us");
  HBITMAP held = AcquireAvatar(avatar, nullptr, nullptr);
  start = Now();
  std::vector<HBITMAP> rows;
  for (int i = 0; i < 1000; ++i) rows.push_back(AcquireAvatar(avatar, nullptr, nullptr));
  Report("listctrl_avatar_acquire_shared", (Now() - start) / 1000 * 1e6, "us");
  for (HBITMAP row : rows) ReleaseAvatarBitmap(row);
  ReleaseAvatarBitmap(held);

  // 1000 rows made from 10 distinct pictures, each with its grey copy: bitmaps alive.
  std::vector<std::string> pictures;
  for (int i = 0; i < 10; ++i) pictures.push_back(Bmp(40, 40, i));
  std::vector<HBITMAP> acquired;
  for (int i = 0; i < 1000; ++i) {
    HBITMAP colour = AcquireAvatar(pictures[i % 10], nullptr, nullptr);
    acquired.push_back(colour);
    acquired.push_back(AcquireGreyAvatar(colour));
  }
  Report("listctrl_avatar_bitmaps_for_1000_rows", LiveAvatarBitmapCount(), "bitmaps");
  for (HBITMAP b : acquired) ReleaseAvatarBitmap(b);

  // Composing one large row (avatar, name, signature, three service icons, hovered) and one group header.
  HWND container = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 280, 400, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(container, SW_SHOWNA);
  GroupList list;
  if (list.Create(container) != 1) {
    Report("listctrl_paint_setup_failed", 1, "flag");
    return 1;
  }
  for (int i = 0; i < 3; ++i) list.AddServiceIcon(Bmp(16, 16, i));
  ItemHandle group = list.AddGroup("分组", Given(true));
  RowData row;
  row.groupHandle = group;
  row.avatarPicture = avatar;
  row.name = "电台名称";
  row.signature = "个性签名";
  row.online = true;
  std::vector<int32_t> icons = {1, 2, 3};
  if (!list.AddItem(row, &icons) || SendMessageA(list.listWindow(), LB_GETCOUNT, 0, 0) != 2) {
    Report("listctrl_paint_setup_failed", 1, "flag");
    return 1;
  }
  ControlState* state = FindControlByList(list.listWindow());
  state->hoverIndex = 1;
  const int rounds = 500;
  for (int index : {1, 0}) {
    start = Now();
    for (int i = 0; i < rounds; ++i) PaintEntry(list.listWindow(), index);
    Report(index == 1 ? "listctrl_paint_large_row" : "listctrl_paint_group_header", (Now() - start) / rounds * 1e6,
           "us");
  }
  DestroyWindow(container);
  OleUninitialize();
  return 0;
}
