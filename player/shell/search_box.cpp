#include "player/shell/search_box.h"

#include <string>

#include "common/exception_boundary.h"
#include "player/shell/program_state.h"
#include "player/shell/window_layouts.h"
#include "ui/layout_window.h"

namespace trr {
namespace {

// The procedures below ours; one main window per process.
WNDPROC g_boxProcedure = nullptr;
WNDPROC g_listProcedure = nullptr;

StationSearch* Search() { return State().sources ? &State().sources->Search() : nullptr; }

bool ControlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

HWND SearchBoxOf(HWND child) { return ui::FindControl(GetAncestor(child, GA_ROOT), kSearchBox); }

void FocusSearchBox(HWND box) {
  if (!box) return;
  SetFocus(box);
  SendMessageW(box, EM_SETSEL, 0, -1);
}

void OnBoxKey(HWND box, WPARAM key) {
  StationSearch* search = Search();
  if (key == VK_DOWN && search) {
    const ItemHandle first = search->FirstResult();
    if (!first) return;
    SetFocus(State().channelList.listWindow());
    State().channelList.SelectItem(first);
  } else if (key == VK_RETURN && search) {
    search->SearchRemoteNow();
  } else if (key == VK_ESCAPE) {
    SetWindowTextW(box, L"");
  }
}

void OnListKey(HWND list, WPARAM key) {
  if (key == VK_RETURN) {
    RowData selected;
    if (State().channelList.GetSelectedItemInfo(selected) && State().sources) State().sources->PlayRow(selected.handle);
  } else if (key == VK_ESCAPE || (key == 'F' && ControlHeld())) {
    FocusSearchBox(SearchBoxOf(list));
  }
}

// Both procedures act on a key and then pass every message on, the key included.
LRESULT CALLBACK BoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) CatchAll([&] { OnBoxKey(box, wParam); });
  return CallWindowProcW(g_boxProcedure, box, message, wParam, lParam);
}

LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) CatchAll([&] { OnListKey(list, wParam); });
  return CallWindowProcW(g_listProcedure, list, message, wParam, lParam);
}

// The main window itself has the focus until a control takes it.
LRESULT OnMainWindowKey(HWND window, WPARAM key, LPARAM lParam) {
  if (key == 'F' && ControlHeld()) FocusSearchBox(ui::FindControl(window, kSearchBox));
  return DefWindowProcA(window, WM_KEYDOWN, key, lParam);
}

WNDPROC Replace(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

// `text` cut to kSearchBoxMaxBytes without splitting a double-byte character.
std::string Bounded(const std::string& text) {
  size_t end = 0;
  while (end < text.size()) {
    const auto byte = static_cast<unsigned char>(text[end]);
    const size_t size = byte >= 0x81 && byte <= 0xFE && end + 1 < text.size() ? 2 : 1;
    if (end + size > static_cast<size_t>(kSearchBoxMaxBytes)) break;
    end += size;
  }
  return text.substr(0, end);
}

}  // namespace

void SetUpSearchBox(HWND mainWindow) {
  HWND box = ui::FindControl(mainWindow, kSearchBox);
  HWND list = State().channelList.listWindow();
  if (box) {
    // The box's own limit counts characters; the text is held to bytes as it changes.
    SendMessageW(box, EM_LIMITTEXT, kSearchBoxMaxBytes, 0);
    g_boxProcedure = Replace(box, BoxProcedure);
  }
  if (list) g_listProcedure = Replace(list, ListProcedure);
  ui::BindWindowMessage(mainWindow, WM_KEYDOWN, &OnMainWindowKey);
}

void OnSearchTextChanged(const ui::Event& event) {
  const std::string text = ui::ControlText(event.window, kSearchBox);
  const std::string bounded = Bounded(text);
  if (bounded != text) {
    // Setting the cut text changes it again, and that change is the one searched.
    HWND box = ui::FindControl(event.window, kSearchBox);
    SetWindowTextA(box, bounded.c_str());
    const int end = GetWindowTextLengthW(box);  // the caret goes after the last character kept
    SendMessageW(box, EM_SETSEL, end, end);
    return;
  }
  if (StationSearch* search = Search()) search->SetText(text);
}

void OnSearchDelay(const ui::Event&) {
  if (StationSearch* search = Search()) search->OnRemoteDelay();
}

}  // namespace trr
