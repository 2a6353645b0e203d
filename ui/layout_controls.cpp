// Creating a layout window's controls from the rows of its layout table: their classes, styles, fonts,
// pictures and records, in the order that gives overlapping siblings their stacking.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/exception_boundary.h"
#include "ui/control_record.h"

namespace trr::ui {
namespace {

constexpr UINT_PTR kFirstTimerId = 0x7100;

// The progress bar class lives in the common controls library. It is loaded only for a layout that has a
// progress bar (and stays loaded): linking it would make every program pay for its start-up, about 15 ms
// under Wine, before its first line runs.
void RegisterProgressBarClass() {
  static bool done = false;
  if (done) return;
  done = true;
  HMODULE library = LoadLibraryA("comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = library ? reinterpret_cast<InitFunction>(
                            reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")))
                      : nullptr;
  INITCOMMONCONTROLSEX common = {sizeof(common), ICC_PROGRESS_CLASS};
  if (init) init(&common);
}

LRESULT GroupBoxProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlRecord* record = RecordOf(hwnd);
  LRESULT result = 0;
  if (record && HandleChildNotification(hwnd, message, wParam, lParam, result)) return result;
  WNDPROC previous = record ? record->previousProc : nullptr;
  return previous ? CallWindowProcA(previous, hwnd, message, wParam, lParam)
                  : DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed is answered 0: nothing happened.
LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return GroupBoxProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

struct KindStyle {
  const char* className;
  DWORD style;
};

KindStyle StyleOf(const ControlSpec& layoutRow) {
  switch (layoutRow.kind) {
    case ControlKind::PictureBox: return {kPictureBoxClass, WS_CLIPCHILDREN};
    case ControlKind::PictureButton: return {kPictureButtonClass, 0};
    case ControlKind::TransparentLabel: return {kTransparentLabelClass, 0};
    case ControlKind::VolumeSlider: return {kVolumeSliderClass, 0};
    case ControlKind::ActiveXHost: return {kActiveXHostClass, WS_CLIPCHILDREN};
    case ControlKind::Label:
      return {"STATIC", SS_LEFT | SS_NOPREFIX | ((layoutRow.flags & kMultiLine) ? 0u : static_cast<DWORD>(SS_ENDELLIPSIS))};
    case ControlKind::PushButton: return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::GroupBox: return {"BUTTON", BS_GROUPBOX};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSA, 0};
    case ControlKind::EditBox: return {"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
    case ControlKind::Timer: break;
  }
  return {nullptr, 0};
}

// Names the control's pictures; each is decoded when first drawn (see ResourcePicture).
void NamePictures(ControlRecord& record, HMODULE resources) {
  const ControlSpec& layoutRow = *record.layoutRow;
  const PictureFormat format =
      layoutRow.kind == ControlKind::VolumeSlider ? PictureFormat::AlphaStrip : PictureFormat::Gif;
  for (int i = 0; i < 4; ++i)
    if (layoutRow.pictures[i]) record.pictures[i] = ResourcePicture(resources, layoutRow.pictures[i], format);
}

void CreateControl(LayoutWindow& window, const ControlSpec& layoutRow, int index) {
  auto record = std::make_unique<ControlRecord>();
  record->layoutRow = &layoutRow;
  record->owner = &window;
  if (layoutRow.kind == ControlKind::Timer) {
    record->timerId = kFirstTimerId + index;
    if (layoutRow.interval) SetTimer(window.hwnd, record->timerId, layoutRow.interval, nullptr);
    window.controls.push_back(std::move(record));
    return;
  }
  HWND parent = window.hwnd;
  if (layoutRow.parent) {
    ControlRecord* parentRecord = FindRecord(&window, layoutRow.parent);
    if (!parentRecord || !parentRecord->hwnd) return;
    parent = parentRecord->hwnd;
  }
  if (layoutRow.kind == ControlKind::ProgressBar) RegisterProgressBarClass();
  KindStyle kind = StyleOf(layoutRow);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style | ((layoutRow.flags & kHidden) ? 0u : static_cast<DWORD>(WS_VISIBLE));
  NamePictures(*record, window.resources);
  if (layoutRow.font) record->font.reset(MakeFont(*layoutRow.font));
  record->position = std::clamp(layoutRow.position, layoutRow.rangeMin, layoutRow.rangeMax);
  // The record must be reachable from the first message the control handles.
  ControlRecord* raw = record.get();
  window.controls.push_back(std::move(record));
  HWND hwnd = CreateWindowExA(0, kind.className, layoutRow.text ? layoutRow.text : "", style, layoutRow.left, layoutRow.top, layoutRow.width,
                              layoutRow.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1000 + index)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) {
    window.controls.pop_back();
    return;
  }
  raw->hwnd = hwnd;
  if (IsOwnControlClass(ClassProcedure(hwnd))) SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(raw));
  else SetPropA(hwnd, kControlProp, raw);
  switch (layoutRow.kind) {
    case ControlKind::Label:
    case ControlKind::PushButton:
    case ControlKind::GroupBox:
      SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(*raw)), FALSE);
      if (layoutRow.kind == ControlKind::GroupBox)
        raw->previousProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GroupBoxProc)));
      break;
    case ControlKind::ProgressBar:
      SendMessageA(hwnd, PBM_SETRANGE32, layoutRow.rangeMin, layoutRow.rangeMax);
      SendMessageA(hwnd, PBM_SETPOS, raw->position, 0);
      break;
    case ControlKind::EditBox:
      SetUpEditBox(*raw);
      break;
    default:
      break;
  }
}

bool SameName(const char* a, const char* b) { return a == b || (a && b && std::strcmp(a, b) == 0); }

}  // namespace

HFONT MakeFont(const FontSpec& font) {
  return CreateFontA(font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, static_cast<DWORD>(font.charset),
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     font.face);
}

WNDPROC ClassProcedure(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC));
}

// A control of one of our own classes keeps its record's address in its window's extra bytes, which only the
// class's owner uses. Reading them costs nothing, where under Wine every property read is a round trip to the
// window server, and each message a control handles looks its record up. Standard controls carry a property.
bool IsOwnControlClass(WNDPROC proc) {
  return proc == PictureBoxProc || proc == PictureButtonProc || proc == TransparentLabelProc ||
         proc == VolumeSliderProc || proc == ActiveXHostProc;
}

// Creates the rows whose parent is `parent` (nullptr: the window itself), then their own children. Later rows
// of the table lie above earlier ones where siblings overlap: a new child window goes below its siblings, so
// siblings are made from the last row to the first rather than each being raised after it is made.
void CreateChildren(LayoutWindow& window, const char* parent) {
  const WindowLayout& layout = *window.layout;
  for (size_t i = layout.controlCount; i-- > 0;)
    if (SameName(layout.controls[i].parent, parent)) CreateControl(window, layout.controls[i], static_cast<int>(i));
  for (size_t i = 0; i < layout.controlCount; ++i) {
    const ControlSpec& row = layout.controls[i];
    if (!SameName(row.parent, parent) || row.kind == ControlKind::Timer || SameName(row.name, parent)) continue;
    // Children go to the control that their parent's name finds.
    ControlRecord* made = FindRecord(&window, row.name);
    if (made && made->layoutRow == &row) CreateChildren(window, row.name);
  }
}

}  // namespace trr::ui
