#include "updater/updater_window.h"

#include "ui/layout.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

using ui::ControlKind;
using ui::ControlSpec;

ControlSpec Label(const char* name, const char* parent, int left, int top, int width, int height, const char* text,
                  COLORREF colour) {
  ControlSpec layoutRow;
  layoutRow.name = name;
  layoutRow.kind = ControlKind::Label;
  layoutRow.parent = parent;
  layoutRow.left = left;
  layoutRow.top = top;
  layoutRow.width = width;
  layoutRow.height = height;
  layoutRow.text = text;
  layoutRow.textColour = colour;
  return layoutRow;
}

ControlSpec Other(const char* name, ControlKind kind, int left, int top, int width, int height, const char* text,
                  unsigned flags = 0) {
  ControlSpec layoutRow;
  layoutRow.name = name;
  layoutRow.kind = kind;
  layoutRow.left = left;
  layoutRow.top = top;
  layoutRow.width = width;
  layoutRow.height = height;
  layoutRow.text = text;
  layoutRow.flags = flags;
  return layoutRow;
}

// The layout, in UpdaterControl order. The client area is about 258 × 80 pixels, so the buttons and the notes
// group lie below it, out of sight and out of the mouse's reach.
const ControlSpec kControls[] = {
    Label("标签进度", nullptr, 16, 8, 112, 20, kInitialReceivedText, kProgressLabelColour),
    Label("标签大小", nullptr, 136, 8, 112, 20, kInitialSizeText, kProgressLabelColour),
    Label("标签时间", nullptr, 16, 32, 104, 20, kInitialPercentText, kProgressLabelColour),
    Label("标签速度", nullptr, 136, 32, 112, 20, kInitialSpeedText, kProgressLabelColour),
    Other("进度条1", ControlKind::ProgressBar, 16, 56, 224, 22, ""),
    Other("按钮1", ControlKind::PushButton, 208, 224, 64, 24, "升级"),
    Other("按钮2", ControlKind::PushButton, 208, 224, 64, 24, "取消", ui::kHidden),
    Other("分组框1", ControlKind::GroupBox, 72, 376, 264, 112, "升级内容"),
    Label("标签1", "分组框1", 8, 16, 248, 88, "标签", RGB(0, 0, 0)),
    Other("时钟", ControlKind::Timer, 0, 0, 0, 0, ""),  // interval 0: stopped until the upgrade starts
};
constexpr size_t kControlCount = sizeof(kControls) / sizeof(kControls[0]);
static_assert(kControlCount == k时钟 + 1, "one row per UpdaterControl, in order");

UpdaterWindowHandlers g_handlers;

void OnCreated(const ui::Event& event) {
  if (g_handlers.created) g_handlers.created(event.window);
}
void OnUpgrade(const ui::Event& event) {
  if (g_handlers.upgradeClicked) g_handlers.upgradeClicked(event.window);
}
void OnCancel(const ui::Event& event) {
  if (g_handlers.cancelClicked) g_handlers.cancelClicked(event.window);
}
void OnTick(const ui::Event& event) {
  if (g_handlers.tick) g_handlers.tick(event.window);
}
LRESULT OnDownloadEvent(HWND window, WPARAM wParam, LPARAM lParam) {
  if (g_handlers.downloadEvent)
    g_handlers.downloadEvent(window, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
  return 0;
}

const ui::EventBinding kBindings[] = {
    {"", ui::EventKind::Created, OnCreated},
    {"按钮1", ui::EventKind::Click, OnUpgrade},
    {"按钮2", ui::EventKind::Click, OnCancel},
    {"时钟", ui::EventKind::TimerTick, OnTick},
};

const ui::WindowLayout kLayout = {
    kUpdaterClass,  kUpdaterCaption, ui::FrameStyle::FixedDialog, kUpdaterWidth, kUpdaterHeight,
    ui::kSystemBackground, 0, 0, true, true, kControls, kControlCount, kBindings,
    sizeof(kBindings) / sizeof(kBindings[0])};

HWND FindById(HWND parent, int id) {
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HWND inner = FindById(child, id)) return inner;
  return nullptr;
}

}  // namespace

const char* UpdaterControlName(UpdaterControl control) {
  return control >= 0 && static_cast<size_t>(control) < kControlCount ? kControls[control].name : "";
}

HWND CreateUpdaterWindow(const UpdaterWindowHandlers& handlers) {
  g_handlers = handlers;
  // Created here and bound at once: the message reaches the window only after it exists.
  HWND window = ui::CreateLayoutWindow(kLayout, GetModuleHandleA(nullptr));
  if (window) ui::BindWindowMessage(window, kDownloadEventMessage, OnDownloadEvent);
  return window;
}

HWND FindUpdaterControl(HWND window, UpdaterControl control) {
  if (control == k时钟) return nullptr;
  return FindById(window, kUpdaterControlIdBase + control);
}

void ShowProgress(HWND window, const ProgressTexts& texts) {
  auto set = [&](UpdaterControl control, const std::string& text) {
    // Rewriting an unchanged text would only make the label flicker.
    const char* name = UpdaterControlName(control);
    if (ui::ControlText(window, name) != text) ui::SetControlText(window, name, text);
  };
  set(k标签大小, texts.size);
  set(k标签进度, texts.received);
  set(k标签速度, texts.speed);
  set(k标签时间, texts.percent);
  ui::SetControlPosition(window, UpdaterControlName(k进度条1), texts.position);
}

}  // namespace trr
