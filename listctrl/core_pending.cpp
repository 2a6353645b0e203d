// TEMPORARY stand-ins for the item store, registry and Create of the list control, so that painting can be
// built and tested before the store lands. Deleted as soon as the real pieces are on main.
#include <windows.h>

#include <cmath>
#include <memory>

#include "common/gbk_convert.h"
#include "common/gbk_text.h"
#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "listctrl/paint_entry.h"
#include "listctrl/pictures.h"

namespace trr {

namespace {
std::vector<std::unique_ptr<ControlState>>& Registry() {
  static std::vector<std::unique_ptr<ControlState>> registry;
  return registry;
}
ItemHandle g_counter = 0;

LRESULT CALLBACK PendingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = FindControlByList(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  if (message == kRepaintEntryMessage) {
    PaintEntry(window, static_cast<int>(wParam));
    return 1;
  }
  return CallWindowProcA(state->oldListProc, window, message, wParam, lParam);
}

LRESULT CALLBACK PendingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlState* state = FindControlByParent(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_DRAWITEM) {
    DRAWITEMSTRUCT item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item.CtlType == ODT_LISTBOX) {
      PaintEntry(item.hwndItem, static_cast<int>(item.itemID), &item.rcItem, item.hDC);
      return TRUE;
    }
  }
  if (message == WM_CTLCOLORLISTBOX) return reinterpret_cast<LRESULT>(state->backgroundBrush);
  return CallWindowProcA(state->oldParentProc, window, message, wParam, lParam);
}
}  // namespace

ControlState* FindControlByList(HWND listWindow) {
  for (auto& s : Registry()) if (s->listWindow == listWindow) return s.get();
  return nullptr;
}
ControlState* FindControlByParent(HWND parentWindow) {
  for (auto& s : Registry()) if (s->parentWindow == parentWindow) return s.get();
  return nullptr;
}
ControlState& RegisterControl() {
  Registry().push_back(std::make_unique<ControlState>());
  return *Registry().back();
}
std::vector<ControlState*> AllControls() {
  std::vector<ControlState*> all;
  for (auto& s : Registry()) all.push_back(s.get());
  return all;
}

ControlState* GroupList::State() const { return listWindow_ ? FindControlByList(listWindow_) : nullptr; }
void GroupList::Refresh() {
  if (State()) InvalidateRect(listWindow_, nullptr, TRUE);
}
ItemHandle GroupList::NewItemHandle() { return NextItemHandle(); }
ItemHandle NextItemHandle() { return ++g_counter; }
void SeedItemHandles() {
  if (g_counter == 0) g_counter = 10000;
}

int GroupList::Create(HWND container, Optional<int>, Optional<int> mode, Optional<int> enlarge,
                      Optional<COLORREF> background) {
  if (IsWindow(listWindow_) || !IsWindow(container)) return 0;
  RECT r;
  GetWindowRect(container, &r);
  HWND list = CreateWindowExA(0, "ListBox", "分组列表框",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY, 0, 0,
                              r.right - r.left, r.bottom - r.top, container, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
  if (!list) return 0;
  listWindow_ = list;
  parentWindow_ = container;
  ControlState& state = RegisterControl();
  state.listWindow = list;
  state.parentWindow = container;
  state.oldListProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PendingListProc)));
  state.oldParentProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(container, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PendingParentProc)));
  SeedItemHandles();
  state.document.Create(list, container);
  state.viewMode = mode.value == 1 ? 1 : mode.value == 2 ? 2 : 0;
  state.rowHeight = state.viewMode == 1 ? 30 : state.viewMode == 2 ? 20 : 54;
  state.enlargeSelected = enlarge.value;
  state.backgroundColour = background.given ? background.value : 0xFFFFFF;
  state.backgroundBrush = CreateSolidBrush(state.backgroundColour);
  MarkerStrip();
  ApplyDefaultColours(state);
  return 1;
}

bool ItemDocument::Create(HWND listWindow, HWND parentWindow) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Microsoft.XMLDOM", &clsid))) return false;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              document_.ReceiveVoid())))
    return false;
  BSTR name = SysAllocString(GbkToWide("分组列表").c_str());
  document_->createElement(name, root_.Receive());
  SysFreeString(name);
  SetAttributeInt(root_.Get(), "hwnd", reinterpret_cast<INT_PTR>(listWindow));
  SetAttributeInt(root_.Get(), "hParent", reinterpret_cast<INT_PTR>(parentWindow));
  ComPtr<IXMLDOMNode> added;
  document_->appendChild(root_.Get(), added.Receive());
  return true;
}
ElementPtr ItemDocument::CreateItemElement(ItemHandle handle) {
  ElementPtr element;
  if (!document_) return element;
  BSTR name = SysAllocString(GbkToWide("Item" + std::to_string(handle)).c_str());
  document_->createElement(name, element.Receive());
  SysFreeString(name);
  if (element) index_[handle] = element;
  return element;
}
ElementPtr ItemDocument::Find(ItemHandle handle) const {
  auto found = index_.find(handle);
  return found == index_.end() ? ElementPtr() : found->second;
}
void ItemDocument::Forget(ItemHandle handle) { index_.erase(handle); }
bool ItemDocument::Append(IXMLDOMElement* parent, IXMLDOMElement* child) {
  ComPtr<IXMLDOMNode> added;
  return parent && SUCCEEDED(parent->appendChild(child, added.Receive()));
}

std::string GetAttributeText(IXMLDOMElement* element, const char* name) {
  if (!element) return {};
  BSTR key = SysAllocString(GbkToWide(name).c_str());
  VARIANT value;
  VariantInit(&value);
  std::string text;
  if (element->getAttribute(key, &value) == S_OK && value.vt == VT_BSTR && value.bstrVal) {
    text = WideToGbk(value.bstrVal);
  }
  VariantClear(&value);
  SysFreeString(key);
  return text;
}
void SetAttributeText(IXMLDOMElement* element, const char* name, const std::string& text) {
  if (!element) return;
  BSTR key = SysAllocString(GbkToWide(name).c_str());
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(GbkToWide(text).c_str());
  element->setAttribute(key, value);
  VariantClear(&value);
  SysFreeString(key);
}
int32_t GetAttributeInt(IXMLDOMElement* element, const char* name) {
  return TextToInt(GetAttributeText(element, name));
}
void SetAttributeInt(IXMLDOMElement* element, const char* name, int64_t value) {
  SetAttributeText(element, name, std::to_string(value));
}
bool GetAttributeFlag(IXMLDOMElement* element, const char* name) {
  return std::fabs(TextToDouble(GetAttributeText(element, name)) - 1) <= 1e-7;
}

std::vector<int32_t> ParseIconList(const std::string& text) {
  std::vector<int32_t> icons;
  for (const std::string& part : SplitText(text, ",")) icons.push_back(TextToInt(part));
  return icons;
}

bool ReadRowAttributes(IXMLDOMElement* e, ItemInfo& info) {
  info.handle = GetAttributeInt(e, attr::kHandle);
  if (info.handle == 0) return false;
  info.kind = GetAttributeText(e, attr::kKind);
  info.listIndex = GetAttributeInt(e, attr::kListIndex);
  info.name = GetAttributeText(e, attr::kName);
  info.number = GetAttributeText(e, attr::kNumber);
  info.signature = GetAttributeText(e, attr::kSignature);
  info.nameColour = GetAttributeInt(e, attr::kNameColour);
  info.iconCount = GetAttributeInt(e, attr::kIconCount);
  if (info.iconCount > 0) info.icons = ParseIconList(GetAttributeText(e, attr::kIconList));
  info.groupHandle = GetAttributeInt(e, attr::kGroupHandle);
  info.avatar = GetAttributeInt(e, attr::kAvatar);
  info.greyAvatar = GetAttributeInt(e, attr::kGreyAvatar);
  info.online = GetAttributeFlag(e, attr::kOnline);
  info.remark = GetAttributeText(e, attr::kRemark);
  info.flashing = GetAttributeFlag(e, attr::kFlashing);
  info.avatarOffset = GetAttributeInt(e, attr::kAvatarOffset);
  info.avatarWidth = GetAttributeInt(e, attr::kAvatarWidth);
  info.avatarHeight = GetAttributeInt(e, attr::kAvatarHeight);
  return true;
}

bool FindItem(ControlState& state, ItemHandle handle, ItemInfo& info, ElementPtr* element) {
  ElementPtr found = state.document.Find(handle);
  if (!found) return false;
  info = ItemInfo();
  if (GetAttributeText(found.Get(), attr::kKind) == kKindGroup) {
    info.handle = GetAttributeInt(found.Get(), attr::kHandle);
    if (info.handle == 0) return false;
    info.kind = kKindGroup;
    info.listIndex = GetAttributeInt(found.Get(), attr::kListIndex);
    info.name = GetAttributeText(found.Get(), attr::kGroupName);
    info.expanded = GetAttributeFlag(found.Get(), attr::kExpanded);
    info.nameColour = GetAttributeInt(found.Get(), attr::kNameColour);
  } else if (!ReadRowAttributes(found.Get(), info)) {
    return false;
  }
  if (element) *element = found;
  return true;
}
bool FindItem(HWND listWindow, ItemHandle handle, ItemInfo& info, ElementPtr* element) {
  ControlState* state = FindControlByList(listWindow);
  return state && FindItem(*state, handle, info, element);
}

}  // namespace trr

namespace trr {
std::string JoinIconList(const std::vector<int32_t>& icons) {
  std::string text;
  for (size_t i = 0; i < icons.size(); ++i) text += (i ? "," : "") + std::to_string(icons[i]);
  return text;
}
bool IsGroup(ControlState& state, ItemHandle handle) {
  return GetAttributeText(state.document.Find(handle).Get(), attr::kKind) == kKindGroup;
}
}  // namespace trr

// TEMPORARY: the operations that painting does not use, answering their failure values.
namespace trr {
void GroupList::SetEventHandlers(Optional<EventHandler>, Optional<EventHandler>, Optional<EventHandler>,
                                 Optional<EventHandler>, Optional<EventHandler>, Optional<EventHandler>,
                                 Optional<EventHandler>, Optional<EventHandler>, Optional<EventHandler>) {}
bool GroupList::GetItemInfo(ItemHandle, RowData&, std::vector<int32_t>*) { return false; }
void GroupList::SetItemInfo(const RowData&) {}
bool GroupList::GetSelectedItemInfo(RowData&, std::vector<int32_t>*) { return false; }
ItemHandle GroupList::FindItemByNumber(const std::string&) { return 0; }
ItemHandle GroupList::FindItemByName(const std::string&) { return 0; }
ItemHandle GroupList::FindItemByRemark(const std::string&) { return 0; }
ItemHandle GroupList::FindItemByAttribute(const std::string&, const std::string&) { return 0; }
bool GroupList::AddItem(RowData&, const std::vector<int32_t>*) { return false; }
ItemHandle GroupList::AddGroup(const std::string&, Optional<bool>, Optional<COLORREF>) { return 0; }
bool GroupList::ExpandGroup(ItemHandle) { return false; }
bool GroupList::CollapseGroup(ItemHandle) { return false; }
void GroupList::ExpandAllGroups() {}
void GroupList::CollapseAllGroups() {}
bool GroupList::RemoveItem(ItemHandle) { return false; }
ItemHandle GroupList::FindGroupByName(const std::string&) { return 0; }
std::string GroupList::GetGroupName(ItemHandle) { return {}; }
bool GroupList::ClearGroups(Optional<ItemHandle>) { return false; }
bool GroupList::RemoveGroup(Optional<ItemHandle>) { return false; }
bool GroupList::ClearGroupRows(ControlState&, ItemHandle, bool) { return false; }
void GroupList::SaveToFile(const std::string&) {}
bool GroupList::SetOnline(ItemHandle, Optional<int>) { return false; }
bool GroupList::SetOffline(ItemHandle) { return false; }
void GroupList::SortAllGroups() {}
void GroupList::SortGroupRows(IXMLDOMDocument*, IXMLDOMElement*) {}
void GroupList::SetLargeView() {}
void GroupList::SetMediumView(Optional<int>) {}
void GroupList::SetSmallView(Optional<int>) {}
void GroupList::ApplyRowHeight(int, int) {}
void GroupList::SelectItem(ItemHandle) {}
ItemHandle GroupList::GetHandleAt(int) { return -1; }
}  // namespace trr
