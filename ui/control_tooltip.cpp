#include "ui/control_tooltip.h"

#include <commctrl.h>

#include "ui/control_record.h"
#include "ui/layout_window.h"

namespace trr::ui {
namespace {

// The tooltip class lives in the common controls library, loaded at the first tooltip (and kept): linking it
// would make every program pay for its start-up before its first line runs.
bool RegisterTooltipClass() {
  static bool registered = false;
  if (registered) return true;
  HMODULE library = LoadLibraryA("comctl32.dll");
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = library ? reinterpret_cast<InitFunction>(
                            reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")))
                      : nullptr;
  INITCOMMONCONTROLSEX common = {sizeof(common), ICC_BAR_CLASSES};
  registered = init && init(&common);
  return registered;
}

// The tool of `control` as TTM_* messages take it; `text` may be null.
TOOLINFOA ToolOf(HWND window, HWND control, char* text) {
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  return tool;
}

}  // namespace

bool SetControlTooltip(HWND window, const char* name, const std::string& text) {
  LayoutWindow* layout = LayoutOf(window);
  HWND control = FindControl(window, name);
  if (!layout || !control) return false;
  if (!layout->tooltip) {
    if (text.empty()) return true;
    if (!RegisterTooltipClass()) return false;
    layout->tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    if (!layout->tooltip) return false;
    // Long titles wrap instead of running off the screen.
    SendMessageA(layout->tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  std::string copy = text;
  TOOLINFOA tool = ToolOf(window, control, copy.data());
  TOOLINFOA known = ToolOf(window, control, nullptr);
  const bool present = SendMessageA(layout->tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&known)) != 0;
  if (text.empty()) {
    if (present) SendMessageA(layout->tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
  }
  if (present) {
    SendMessageA(layout->tooltip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
  }
  return SendMessageA(layout->tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

std::string ControlTooltip(HWND window, const char* name) {
  LayoutWindow* layout = LayoutOf(window);
  HWND control = FindControl(window, name);
  if (!layout || !layout->tooltip || !control) return {};
  char text[1024] = "";
  TOOLINFOA tool = ToolOf(window, control, text);
  if (!SendMessageA(layout->tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) return {};
  // The buffer's size travels in wParam; the text comes back into it.
  tool.lpszText = text;
  SendMessageA(layout->tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace trr::ui
