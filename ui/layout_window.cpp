// Builds top-level windows and their controls from layout tables, and routes their messages to the bound
// event handlers.
#include "ui/layout_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "common/exception_boundary.h"
#include "ui/control_record.h"
#include "ui/surface_paint.h"

namespace trr::ui {

const FontSpec kDefaultFont = {"宋体", -12, FW_NORMAL, GB2312_CHARSET};

namespace {

bool RegisterControlClass(const char* name, WNDPROC proc, HCURSOR cursor, HICON icon = nullptr,
                          HICON smallIcon = nullptr) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);  // the record's address (see RecordOf)
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = cursor;
  wc.hIcon = icon;
  wc.hIconSm = smallIcon;
  wc.lpszClassName = name;
  return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Loaded shared: the system owns these icons and frees them with the module.
HICON LoadLayoutIcon(HMODULE resources, int icon, int sizeMetric) {
  if (!icon) return nullptr;
  int size = GetSystemMetrics(sizeMetric);
  return static_cast<HICON>(LoadImageA(resources, MAKEINTRESOURCEA(icon), IMAGE_ICON, size, size, LR_SHARED));
}

LRESULT CALLBACK TopLevelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The window's icons belong to its class: the window then carries them from its creation, where setting them
// afterwards would hand the taskbar a default icon first and then each of ours in turn.
void RegisterClasses(const WindowLayout& layout, HMODULE resources) {
  static bool controlsDone = false;
  if (!controlsDone) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    RegisterControlClass(kPictureBoxClass, PictureBoxProc, arrow);
    RegisterControlClass(kPictureButtonClass, PictureButtonProc, nullptr);
    RegisterControlClass(kTransparentLabelClass, TransparentLabelProc, arrow);
    RegisterControlClass(kVolumeSliderClass, VolumeSliderProc, nullptr);
    RegisterControlClass(kActiveXHostClass, ActiveXHostProc, arrow);
    controlsDone = true;
  }
  RegisterControlClass(layout.className, TopLevelProc, LoadCursor(nullptr, IDC_ARROW),
                       LoadLayoutIcon(resources, layout.icon, SM_CXICON),
                       LoadLayoutIcon(resources, layout.icon, SM_CXSMICON));
}

void DrainPostedTexts(HWND hwnd) {
  MSG msg;
  while (PeekMessageA(&msg, hwnd, kPostedTextMessage, kPostedTextMessage, PM_REMOVE)) {
    // A pending quit comes back through any filter; it must reach the message loop.
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    delete reinterpret_cast<std::string*>(msg.lParam);
  }
}

LRESULT TopLevelProcMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* window = static_cast<LayoutWindow*>(create->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
  }
  LayoutWindow* window = LayoutOf(hwnd);
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  if (HandleChildNotification(hwnd, message, wParam, lParam, result)) return result;
  for (const auto& bound : window->messageHandlers)
    if (bound.first == message) return bound.second(hwnd, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      BufferedPaint paint(hwnd);
      DrawSurface(hwnd, paint.dc(), 0, 0, paint.width(), paint.height());
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (window->layout->frame == FrameStyle::Borderless && HandleDragMessage(window->drag, hwnd, message, lParam))
        return 0;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE && window->layout->escapeCloses) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_TIMER:
      for (auto& record : window->controls) {
        if (record->timerId == wParam && record->layoutRow->kind == ControlKind::Timer) {
          Dispatch(window, record->layoutRow->name, EventKind::TimerTick, 0);
          return 0;
        }
      }
      break;
    case kPostedTextMessage: {
      auto* text = reinterpret_cast<std::string*>(lParam);
      HWND control = reinterpret_cast<HWND>(wParam);
      if (text && IsWindow(control) && IsChild(hwnd, control)) SetWindowTextA(control, text->c_str());
      delete text;
      return 0;
    }
    case WM_DESTROY:
      Dispatch(window, "", EventKind::Destroyed, 0);
      if (window->layout->quitOnDestroy) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      for (auto& record : window->controls)
        if (record->timerId) KillTimer(hwnd, record->timerId);
      DrainPostedTexts(hwnd);
      SetWindowLongPtrA(hwnd, 0, 0);
      delete window;
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A message whose handling failed (a bound message's handler) is answered 0: nothing happened.
LRESULT CALLBACK TopLevelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll([&] { return TopLevelProcMessage(hwnd, message, wParam, lParam); },
                  static_cast<LRESULT>(0));
}

}  // namespace

// WM_COMMAND and WM_CTLCOLOR* that a standard control sends to its parent (window, picture box or group box):
// clicks become Click events, an edit box's changes TextChanged events, labels get their text colour on the
// window's background.
bool HandleChildNotification(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND && lParam) {
    HWND control = reinterpret_cast<HWND>(lParam);
    ControlRecord* record = RecordOf(control);
    if (!record) return false;
    const ControlKind kind = record->layoutRow->kind;
    if (kind == ControlKind::PushButton && HIWORD(wParam) == BN_CLICKED) {
      Dispatch(record->owner, record->layoutRow->name, EventKind::Click, 0);
    } else if (kind == ControlKind::EditBox && HIWORD(wParam) == EN_CHANGE) {
      // The whole box is drawn again, so that its hint comes and goes with the text.
      InvalidateRect(control, nullptr, TRUE);
      Dispatch(record->owner, record->layoutRow->name, EventKind::TextChanged, 0);
    } else {
      return false;
    }
    result = 0;
    return true;
  }
  if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
    ControlRecord* record = RecordOf(reinterpret_cast<HWND>(lParam));
    if (!record) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    if (record->layoutRow->textColour != kNoColour) SetTextColor(dc, record->layoutRow->textColour);
    SetBkColor(dc, WindowBackgroundColour(*record->owner));
    result = reinterpret_cast<LRESULT>(record->owner->backgroundBrush.get());
    return true;
  }
  return false;
}

ControlRecord* RecordOf(HWND control) {
  if (!control) return nullptr;
  WNDPROC proc = ClassProcedure(control);
  if (IsOwnControlClass(proc)) return reinterpret_cast<ControlRecord*>(GetWindowLongPtrA(control, 0));
  return proc == TopLevelProc ? nullptr : static_cast<ControlRecord*>(GetPropA(control, kControlProp));
}

LayoutWindow* LayoutOf(HWND window) {
  return window && ClassProcedure(window) == TopLevelProc
             ? reinterpret_cast<LayoutWindow*>(GetWindowLongPtrA(window, 0))
             : nullptr;
}

ControlRecord* FindRecord(LayoutWindow* window, const char* name) {
  if (!window || !name) return nullptr;
  for (auto& record : window->controls)
    if (std::strcmp(record->layoutRow->name, name) == 0) return record.get();
  return nullptr;
}

void Dispatch(LayoutWindow* window, const char* control, EventKind kind, int value) {
  if (!window) return;
  Event event = {window->hwnd, control, kind, value};
  // A copy: a handler may bind more handlers or destroy the window (and with it `window`). Without memory for
  // it, the event is lost.
  std::vector<EventBinding> bindings;
  if (!CatchAll([&] { bindings = window->bindings; return true; }, false)) return;
  for (const EventBinding& binding : bindings) {
    // A handler that fails (out of memory) loses its own work only; the others still run.
    if (binding.kind == kind && binding.handler && std::strcmp(binding.control, control) == 0)
      CatchAll([&] { binding.handler(event); });
  }
}

HFONT ControlFont(const ControlRecord& record) {
  return record.font ? record.font.get() : record.owner->defaultFont.get();
}

COLORREF WindowBackgroundColour(const LayoutWindow& window) {
  return window.layout->background == kSystemBackground ? GetSysColor(COLOR_BTNFACE) : window.layout->background;
}

HWND CreateLayoutWindow(const WindowLayout& layout, HMODULE resources, bool show) {
  RegisterClasses(layout, resources);
  auto window = std::make_unique<LayoutWindow>();
  window->layout = &layout;
  window->resources = resources;
  window->bindings.assign(layout.bindings, layout.bindings + layout.bindingCount);
  window->defaultFont.reset(MakeFont(kDefaultFont));
  window->backgroundBrush.reset(CreateSolidBrush(WindowBackgroundColour(*window)));
  if (layout.picture) window->picture = ResourcePicture(resources, layout.picture, PictureFormat::Gif);

  DWORD style = WS_CLIPCHILDREN | WS_SYSMENU;
  DWORD exStyle = WS_EX_APPWINDOW;
  // A borderless window keeps the minimise box so that the taskbar can minimise it; a fixed dialog frame has
  // the close box only.
  style |= layout.frame == FrameStyle::Borderless ? (WS_POPUP | WS_MINIMIZEBOX) : (WS_OVERLAPPED | WS_CAPTION);
  RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + (work.right - work.left - layout.width) / 2;
  int y = work.top + (work.bottom - work.top - layout.height) / 2;

  LayoutWindow* raw = window.release();  // owned by the window from WM_NCCREATE on, deleted at WM_NCDESTROY
  HWND hwnd = CreateWindowExA(exStyle, layout.className, layout.caption, style, x, y, layout.width, layout.height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), raw);
  if (!hwnd) {
    if (!raw->hwnd) delete raw;  // never reached WM_NCCREATE
    return nullptr;
  }
  CreateChildren(*raw, nullptr);
  Dispatch(raw, "", EventKind::Created, 0);
  if (!IsWindow(hwnd)) return nullptr;  // a Created handler closed it
  if (show) {
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  }
  return hwnd;
}

bool IsLayoutWindow(HWND window) { return IsWindow(window) && LayoutOf(window) != nullptr; }

bool EscapeClosesLayoutWindow(HWND window) {
  LayoutWindow* layout = IsWindow(window) ? LayoutOf(window) : nullptr;
  return layout && layout->layout->escapeCloses;
}

HWND FindControl(HWND window, const char* name) {
  ControlRecord* record = FindRecord(LayoutOf(window), name);
  return record ? record->hwnd : nullptr;
}

bool SetControlText(HWND window, const char* name, const std::string& text) {
  HWND control = FindControl(window, name);
  return control && SetWindowTextA(control, text.c_str());
}

std::string ControlText(HWND window, const char* name) {
  HWND control = FindControl(window, name);
  if (!control) return {};
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  length = GetWindowTextA(control, &text[0], length + 1);
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

bool PostControlText(HWND control, const std::string& text) {
  HWND root = GetAncestor(control, GA_ROOT);
  if (!root) return false;
  auto* copy = new std::string(text);
  if (PostMessageA(root, kPostedTextMessage, reinterpret_cast<WPARAM>(control), reinterpret_cast<LPARAM>(copy)))
    return true;
  delete copy;
  return false;
}

bool SetControlVisible(HWND window, const char* name, bool visible) {
  HWND control = FindControl(window, name);
  if (!control) return false;
  ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
  return true;
}

bool IsControlVisible(HWND window, const char* name) {
  HWND control = FindControl(window, name);
  return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

bool MoveControl(HWND window, const char* name, int left, int top) {
  HWND control = FindControl(window, name);
  if (!control) return false;
  return SetWindowPos(control, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool SetControlPosition(HWND window, const char* name, int position) {
  ControlRecord* record = FindRecord(LayoutOf(window), name);
  if (!record || !record->hwnd) return false;
  const ControlSpec& layoutRow = *record->layoutRow;
  record->position = std::clamp(position, layoutRow.rangeMin, layoutRow.rangeMax);
  if (layoutRow.kind == ControlKind::ProgressBar) SendMessageA(record->hwnd, PBM_SETPOS, record->position, 0);
  else if (layoutRow.kind == ControlKind::VolumeSlider) InvalidateRect(record->hwnd, nullptr, FALSE);
  else return false;
  return true;
}

int ControlPosition(HWND window, const char* name) {
  ControlRecord* record = FindRecord(LayoutOf(window), name);
  if (!record || !record->hwnd) return -1;
  if (record->layoutRow->kind == ControlKind::ProgressBar)
    return static_cast<int>(SendMessageA(record->hwnd, PBM_GETPOS, 0, 0));
  return record->layoutRow->kind == ControlKind::VolumeSlider ? record->position : -1;
}

bool SetTimerInterval(HWND window, const char* name, unsigned intervalMs) {
  ControlRecord* record = FindRecord(LayoutOf(window), name);
  if (!record || !record->timerId) return false;
  KillTimer(window, record->timerId);
  return intervalMs == 0 || SetTimer(window, record->timerId, intervalMs, nullptr) != 0;
}

bool BindEvent(HWND window, const char* control, EventKind kind, EventHandler handler) {
  LayoutWindow* layout = LayoutOf(window);
  if (!layout || !control) return false;
  layout->bindings.push_back({control, kind, handler});
  return true;
}

bool BindWindowMessage(HWND window, UINT message, MessageHandler handler) {
  LayoutWindow* layout = LayoutOf(window);
  if (!layout || !handler) return false;
  layout->messageHandlers.push_back({message, handler});
  return true;
}

void CloseLayoutWindow(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

}  // namespace trr::ui
