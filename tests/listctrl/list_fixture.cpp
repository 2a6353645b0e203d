#include "tests/listctrl/list_fixture.h"

#include "listctrl/item_info.h"
#include "tests/harness/message_pump.h"

namespace trr::test {

namespace {

const char kContainerClass[] = "ListPaintTestContainer";

void RegisterContainerClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kContainerClass;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassA(&wc);
  registered = true;
}

}  // namespace

ListFixture::ListFixture(int width, int height, int mode) {
  RegisterContainerClass();
  container_ = CreateWindowExA(WS_EX_TOPMOST, kContainerClass, "", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  // Shown without activation: Wine waits up to 2 s for the window manager when an activated window goes.
  ShowWindow(container_, SW_SHOWNA);
  list_.Create(container_, Given(0), Given(mode));
  PumpMessages(20);
}

ListFixture::~ListFixture() {
  DestroyWindow(container_);
  PumpMessages(10);
}

ControlState& ListFixture::state() const { return *FindControlByList(list_.listWindow()); }

ItemHandle ListFixture::Group(const std::string& title, bool expanded, COLORREF colour) {
  return list_.AddGroup(title, Given(expanded), Given(colour));
}

ItemHandle ListFixture::Row(ItemHandle group, const std::string& name, const std::string& avatar, bool online,
                            const std::string& signature, COLORREF nameColour, const std::vector<int32_t>& icons) {
  RowData row;
  row.groupHandle = group;
  row.avatarPicture = avatar;
  row.name = name;
  row.nameColour = static_cast<int32_t>(nameColour);
  row.online = online;
  row.signature = signature;
  return list_.AddItem(row, icons.empty() ? nullptr : &icons) ? row.handle : 0;
}

int ListFixture::IndexOf(ItemHandle item) const { return Attribute(item, attr::kListIndex); }

RECT ListFixture::EntryRect(int index) const {
  RECT r = {};
  SendMessageA(listWindow(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  return r;
}

// The real pointer is put on the same spot first: the list asks for a leave notification on the first move, and
// a pointer elsewhere would end the hover at once.
void ListFixture::Hover(int index, int x, int y) {
  if (index < 0) {
    SetCursorPos(1270, 1010);
    SendMessageA(listWindow(), WM_MOUSELEAVE, 0, 0);
    PumpMessages(10);
    return;
  }
  RECT r = EntryRect(index);
  POINT at = {r.left + x, r.top + y};
  POINT screen = at;
  ClientToScreen(listWindow(), &screen);
  SetCursorPos(screen.x, screen.y);
  PumpMessages(10);
  // The first move makes the entry hovered, the second finds the service icon under the mouse.
  MoveMouse(listWindow(), at.x, at.y);
  MoveMouse(listWindow(), at.x, at.y);
  PumpMessages(10);
}

// A left click on the entry, or below the last entry for -1.
void ListFixture::Select(int index) {
  int y = 0;
  if (index >= 0) {
    RECT r = EntryRect(index);
    y = r.top + 3;
  } else {
    int count = static_cast<int>(SendMessageA(listWindow(), LB_GETCOUNT, 0, 0));
    y = count > 0 ? EntryRect(count - 1).bottom + 2 : 2;
  }
  LeftClick(listWindow(), 150, y);
  PumpMessages(10);
}

int32_t ListFixture::Attribute(ItemHandle item, const char* name) const {
  return GetAttributeInt(state().document.Find(item).Get(), name);
}

void ListFixture::SetAttribute(ItemHandle item, const char* name, int value) {
  SetAttributeInt(state().document.Find(item).Get(), name, value);
}

Capture ListFixture::Snapshot() {
  RedrawWindow(listWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpMessages(10);
  return CaptureClient(listWindow());
}

}  // namespace trr::test
