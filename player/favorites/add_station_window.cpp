#include "player/favorites/add_station_window.h"

#include <iterator>
#include <utility>

#include "assets/resource_ids.h"
#include "player/favorites/new_station_check.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

HWND g_window = nullptr;
KeepStation g_keep;

void OnConfirm(const ui::Event& event) {
  const NewStationCheck check =
      CheckNewStation(ui::ControlText(event.window, kNameBox), ui::ControlText(event.window, kAddressBox));
  std::string refusal = check.refusal;
  if (check.accepted) refusal = g_keep ? g_keep(check.station) : std::string("无法添加电台。");
  if (refusal.empty()) {
    ui::CloseLayoutWindow(event.window);
    return;
  }
  ui::SetControlText(event.window, kRefusalLabel, refusal);
  // The field at fault takes the keyboard, its text selected, ready to be typed over.
  if (HWND field = ui::FindControl(event.window, check.addressAtFault || check.accepted ? kAddressBox : kNameBox)) {
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
  }
}

void OnCancel(const ui::Event& event) { ui::CloseLayoutWindow(event.window); }

void OnDestroyed(const ui::Event& event) {
  if (g_window == event.window) {
    g_window = nullptr;
    g_keep = nullptr;
  }
}

constexpr COLORREF kRefusalColour = RGB(200, 0, 0);

// The rows from the last control to the first: a later row of a layout lies above an earlier one, and the
// top-most child comes first, in the order of the window's children and of Tab.
const ui::ControlSpec kControls[] = {
    {.name = kRefusalLabel, .kind = ui::ControlKind::Label, .left = 12, .top = 72, .width = 270, .height = 28,
     .textColour = kRefusalColour, .flags = ui::kMultiLine},
    {.name = "地址标签", .kind = ui::ControlKind::Label, .left = 12, .top = 45, .width = 42, .height = 16,
     .text = "地址:"},
    {.name = "名称标签", .kind = ui::ControlKind::Label, .left = 12, .top = 15, .width = 42, .height = 16,
     .text = "名称:"},
    {.name = "取消", .kind = ui::ControlKind::PushButton, .left = 210, .top = 104, .width = 72, .height = 24,
     .text = "取消"},
    {.name = "确定", .kind = ui::ControlKind::PushButton, .left = 128, .top = 104, .width = 72, .height = 24,
     .text = "确定", .flags = ui::kDefaultButton},
    {.name = kAddressBox, .kind = ui::ControlKind::EditBox, .left = 56, .top = 42, .width = 226, .height = 22,
     .textLimit = 2048},
    {.name = kNameBox, .kind = ui::ControlKind::EditBox, .left = 56, .top = 12, .width = 226, .height = 22,
     .textLimit = 64},
};

const ui::EventBinding kBindings[] = {
    {"确定", ui::EventKind::Click, OnConfirm},
    {"取消", ui::EventKind::Click, OnCancel},
    {"", ui::EventKind::Destroyed, OnDestroyed},
};

// The player's panel colour behind standard controls; Esc closes it, its end leaves the program running, and
// its fields and buttons take the keys of a dialog.
const ui::WindowLayout kLayout = {kAddStationClass, "添加电台", ui::FrameStyle::FixedDialog, 300, 172,
                                  RGB(204, 227, 248), 0, IDI_PROGRAM, true, false, kControls, std::size(kControls),
                                  kBindings, std::size(kBindings), true};

}  // namespace

HWND OpenAddStationWindow(HMODULE resources, KeepStation keep, bool topmost) {
  g_keep = std::move(keep);
  if (!g_window || !IsWindow(g_window)) g_window = ui::CreateLayoutWindow(kLayout, resources);
  if (!g_window) {
    g_keep = nullptr;
    return nullptr;
  }
  SetWindowPos(g_window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(g_window);
  return g_window;
}

HWND AddStationWindow() { return g_window && IsWindow(g_window) ? g_window : nullptr; }

}  // namespace trr
