#include "tests/listctrl/list_fixture.h"

#include "listctrl/item_info.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"
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

// TEMPORARY: fills the document and the ListBox by hand until AddGroup and AddItem are on main.
ItemHandle ListFixture::Group(const std::string& title, bool expanded, COLORREF colour) {
  ControlState& s = state();
  ItemHandle handle = list_.NewItemHandle();
  ElementPtr e = s.document.CreateItemElement(handle);
  SetAttributeText(e.Get(), attr::kKind, kKindGroup);
  SetAttributeText(e.Get(), attr::kGroupName, title);
  SetAttributeInt(e.Get(), attr::kHandle, handle);
  SetAttributeInt(e.Get(), attr::kNameColour, colour);
  SetAttributeInt(e.Get(), attr::kExpanded, expanded ? 1 : 0);
  s.document.Append(s.document.Root().Get(), e.Get());
  int index = static_cast<int>(SendMessageA(listWindow(), LB_ADDSTRING, 0, 0));
  SendMessageA(listWindow(), LB_SETITEMDATA, index, handle);
  SendMessageA(listWindow(), LB_SETITEMHEIGHT, index, kGroupEntryHeight);
  SetAttributeInt(e.Get(), attr::kListIndex, index);
  return handle;
}

ItemHandle ListFixture::Row(ItemHandle group, const std::string& name, const std::string& avatar, bool online,
                            const std::string& signature, COLORREF nameColour, const std::vector<int32_t>& icons) {
  ControlState& s = state();
  ItemHandle handle = list_.NewItemHandle();
  ElementPtr e = s.document.CreateItemElement(handle);
  int w = 0;
  int h = 0;
  HBITMAP colourAvatar = AcquireAvatar(avatar, &w, &h);
  HBITMAP grey = AcquireGreyAvatar(colourAvatar);
  SetAttributeInt(e.Get(), attr::kHandle, handle);
  SetAttributeText(e.Get(), attr::kKind, kKindRow);
  SetAttributeInt(e.Get(), attr::kGroupHandle, group);
  SetAttributeText(e.Get(), attr::kName, name);
  SetAttributeText(e.Get(), attr::kSignature, signature);
  SetAttributeInt(e.Get(), attr::kNameColour, nameColour);
  SetAttributeInt(e.Get(), attr::kIconCount, static_cast<int>(icons.size()));
  if (!icons.empty()) SetAttributeText(e.Get(), attr::kIconList, JoinIconList(icons));
  SetAttributeInt(e.Get(), attr::kAvatar, reinterpret_cast<INT_PTR>(colourAvatar));
  SetAttributeInt(e.Get(), attr::kGreyAvatar, reinterpret_cast<INT_PTR>(grey));
  SetAttributeInt(e.Get(), attr::kAvatarWidth, w);
  SetAttributeInt(e.Get(), attr::kAvatarHeight, h);
  SetAttributeInt(e.Get(), attr::kOnline, online ? 1 : 0);
  ElementPtr groupElement = s.document.Find(group);
  s.document.Append(groupElement.Get(), e.Get());
  if (!GetAttributeFlag(groupElement.Get(), attr::kExpanded)) {
    SetAttributeInt(e.Get(), attr::kListIndex, -1);
    return handle;
  }
  // Rows go at the end of their group's run of entries.
  int count = static_cast<int>(SendMessageA(listWindow(), LB_GETCOUNT, 0, 0));
  int position = IndexOf(group) + 1;
  while (position < count && !IsGroup(s, static_cast<ItemHandle>(SendMessageA(listWindow(), LB_GETITEMDATA,
                                                                               position, 0)))) {
    ++position;
  }
  SendMessageA(listWindow(), LB_INSERTSTRING, position, 0);
  SendMessageA(listWindow(), LB_SETITEMDATA, position, handle);
  SendMessageA(listWindow(), LB_SETITEMHEIGHT, position, s.rowHeight);
  count = static_cast<int>(SendMessageA(listWindow(), LB_GETCOUNT, 0, 0));
  for (int i = position; i < count; ++i) {
    ItemHandle at = static_cast<ItemHandle>(SendMessageA(listWindow(), LB_GETITEMDATA, i, 0));
    SetAttributeInt(s.document.Find(at).Get(), attr::kListIndex, i);
  }
  return handle;
}

int ListFixture::IndexOf(ItemHandle item) const { return Attribute(item, attr::kListIndex); }

RECT ListFixture::EntryRect(int index) const {
  RECT r = {};
  SendMessageA(listWindow(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  return r;
}

// TEMPORARY: sets the hover field directly until the list's window procedure is on main.
void ListFixture::Hover(int index, int x, int y) {
  ControlState& s = state();
  int old = s.hoverIndex;
  s.hoverIndex = index;
  if (old >= 0) PaintEntry(listWindow(), old);
  if (index >= 0) {
    RECT r = EntryRect(index);
    IconLayout layout;
    ItemInfo info;
    if (FindItem(s, static_cast<ItemHandle>(SendMessageA(listWindow(), LB_GETITEMDATA, index, 0)), info)) {
      layout = LayoutIcons(s.iconCount, info.iconCount, info.icons, r);
    }
    PaintEntry(listWindow(), index, nullptr, nullptr, Given(HitTestIcons(layout, x, y)));
  }
}

void ListFixture::Select(int index) {
  ControlState& s = state();
  int old = s.selectedIndex;
  s.selectedIndex = index;
  if (old >= 0) PaintEntry(listWindow(), old);
  if (index >= 0) PaintEntry(listWindow(), index);
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
