#include "listctrl/item_document.h"

#include <oleauto.h>

#include <cmath>

#include "common/gbk_convert.h"
#include "common/gbk_text.h"

namespace trr {
namespace {

// A BSTR owned for one call.
class ScopedBstr {
 public:
  explicit ScopedBstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), text.size())) {}
  explicit ScopedBstr(const char* gbk) : ScopedBstr(GbkToWide(gbk)) {}
  ~ScopedBstr() { ::SysFreeString(value_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

// Attribute names are a small fixed set: keep their UTF-16 forms so that a fill of thousands of rows does
// not convert the same names again and again.
BSTR AttributeName(const char* gbk) {
  static std::unordered_map<std::string, BSTR> names;
  auto it = names.find(gbk);
  if (it != names.end()) return it->second;
  std::wstring wide = GbkToWide(gbk);
  BSTR name = ::SysAllocStringLen(wide.data(), wide.size());
  names.emplace(gbk, name);
  return name;
}

ComPtr<IXMLDOMDocument> NewDomDocument() {
  ComPtr<IXMLDOMDocument> document;
  for (const wchar_t* progId : {L"Microsoft.XMLDOM", L"MSXML.DOMDocument"}) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(progId, &clsid))) continue;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                    document.ReceiveVoid());
    if (hr == CO_E_NOTINITIALIZED) {
      // A thread that never initialised COM: the control lives on this thread, so initialise it here.
      ::OleInitialize(nullptr);
      hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document.ReceiveVoid());
    }
    if (SUCCEEDED(hr) && document) return document;
  }
  return nullptr;
}

// A window handle in decimal, all its bits (a 32-bit build's text is the same as ever).
std::string HandleText(const void* handle) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
}

}  // namespace

bool ItemDocument::Create(HWND listWindow, HWND parentWindow) {
  Release();
  document_ = NewDomDocument();
  if (!document_) return false;
  ScopedBstr rootName("分组列表");
  if (FAILED(document_->createElement(rootName.get(), root_.Receive())) || !root_) {
    Release();
    return false;
  }
  SetAttributeText(root_.Get(), "hwnd", HandleText(listWindow));
  SetAttributeText(root_.Get(), "hParent", HandleText(parentWindow));
  ComPtr<IXMLDOMNode> added;
  if (FAILED(document_->appendChild(root_.Get(), added.Receive()))) {
    Release();
    return false;
  }
  return true;
}

void ItemDocument::Release() {
  DropAllDeferred();
  inserted_.clear();
  index_.clear();
  root_.Reset();
  document_.Reset();
}

ElementPtr ItemDocument::CreateItemElement(ItemHandle handle) {
  if (!document_ || handle == 0) return nullptr;
  ScopedBstr name(L"Item" + std::to_wstring(handle));
  ElementPtr element;
  if (FAILED(document_->createElement(name.get(), element.Receive()))) return nullptr;
  index_[handle] = element;
  return element;
}

IXMLDOMDocument* ItemDocument::Dom() {
  MakeAllDeferred();
  return document_.Get();
}

ElementPtr ItemDocument::Find(ItemHandle handle) {
  auto it = index_.find(handle);
  if (it != index_.end()) return it->second;
  for (auto& [group, rows] : deferred_) {
    if (!rows->Holds(handle)) continue;
    MakeDeferred(group, index_.count(group) ? index_[group].Get() : nullptr);
    it = index_.find(handle);
    return it == index_.end() ? nullptr : it->second;
  }
  return nullptr;
}

void ItemDocument::Forget(ItemHandle handle) {
  index_.erase(handle);
  // An inserted group that leaves the tree, by whichever operation, takes its kept rows with it.
  if (!inserted_.empty()) inserted_.erase(handle);
}

bool ItemDocument::Append(IXMLDOMElement* parent, IXMLDOMElement* child) {
  if (!parent || !child) return false;
  MakeDeferredRowsOf(parent);
  ComPtr<IXMLDOMNode> added;
  return SUCCEEDED(parent->appendChild(child, added.Receive()));
}

bool ItemDocument::Remove(IXMLDOMElement* parent, IXMLDOMElement* child) {
  if (!parent || !child) return false;
  ComPtr<IXMLDOMNode> removed;
  return parent->removeChild(child, removed.Receive()) == S_OK;
}

bool ItemDocument::InsertBefore(IXMLDOMElement* parent, IXMLDOMElement* child, IXMLDOMElement* next) {
  if (!next) return Append(parent, child);
  if (!parent || !child) return false;
  MakeDeferredRowsOf(parent);
  VARIANT before;
  ::VariantInit(&before);
  before.vt = VT_UNKNOWN;
  before.punkVal = next;  // borrowed for the call: not released
  ComPtr<IXMLDOMNode> added;
  return SUCCEEDED(parent->insertBefore(child, before, added.Receive()));
}

std::vector<ElementPtr> ItemDocument::Children(IXMLDOMElement* parent) {
  std::vector<ElementPtr> children;
  if (!parent) return children;
  MakeDeferredRowsOf(parent);
  ComPtr<IXMLDOMNode> node;
  if (parent->get_firstChild(node.Receive()) != S_OK) return children;
  while (node) {
    ElementPtr element = node.As<IXMLDOMElement>(IID_IXMLDOMElement);
    if (element) children.push_back(element);
    ComPtr<IXMLDOMNode> next;
    if (node->get_nextSibling(next.Receive()) != S_OK) break;
    node = next;
  }
  return children;
}

long ItemDocument::ChildCount(IXMLDOMElement* parent) {
  return static_cast<long>(Children(parent).size());
}

void ItemDocument::Save(const std::string& path) {
  if (!document_) return;
  MakeAllDeferred();
  VARIANT target;
  ::VariantInit(&target);
  target.vt = VT_BSTR;
  std::wstring wide = GbkToWide(path);
  target.bstrVal = ::SysAllocStringLen(wide.data(), wide.size());
  document_->save(target);
  ::VariantClear(&target);
}

void ItemDocument::Defer(ItemHandle group, std::unique_ptr<DeferredRows> rows) {
  if (!rows) return;
  if (!document_ || deferred_.count(group)) {
    rows->Discard();
    return;
  }
  deferred_.emplace(group, std::move(rows));
}

bool ItemDocument::DropDeferred(ItemHandle group) {
  auto it = deferred_.find(group);
  if (it == deferred_.end()) return false;
  std::unique_ptr<DeferredRows> rows = std::move(it->second);
  deferred_.erase(it);
  rows->Discard();
  return true;
}

void ItemDocument::DropAllDeferred() {
  while (!deferred_.empty()) DropDeferred(deferred_.begin()->first);
}

void ItemDocument::MakeAllDeferred() {
  while (!deferred_.empty()) {
    const ItemHandle group = deferred_.begin()->first;
    auto element = index_.find(group);
    MakeDeferred(group, element == index_.end() ? nullptr : element->second.Get());
  }
}

void ItemDocument::MakeDeferredRowsOf(IXMLDOMElement* parent) {
  if (deferred_.empty() || !parent) return;
  const ItemHandle group = HandleFromElementName(parent);
  if (deferred_.count(group)) MakeDeferred(group, parent);
}

void ItemDocument::MakeDeferred(ItemHandle group, IXMLDOMElement* element) {
  auto it = deferred_.find(group);
  if (it == deferred_.end()) return;
  // Out of the table first: making appends to the group, and an append must not make the rows again.
  std::unique_ptr<DeferredRows> rows = std::move(it->second);
  deferred_.erase(it);
  if (element)
    rows->Make(*this, element);
  else
    rows->Discard();  // the group element is gone: nothing to hang the rows on
}

void ItemDocument::NoteInsertedGroup(ItemHandle group) {
  if (document_) inserted_[group];
}

void ItemDocument::KeepSpareRow(ItemHandle group, ItemHandle row, ElementPtr element) {
  auto it = inserted_.find(group);
  if (it != inserted_.end() && element) it->second.push_back(SpareRow{row, std::move(element)});
}

ElementPtr ItemDocument::TakeSpareRow(ItemHandle group, ItemHandle& row) {
  auto it = inserted_.find(group);
  if (it == inserted_.end() || it->second.empty()) return nullptr;
  SpareRow spare = std::move(it->second.back());
  it->second.pop_back();
  row = spare.handle;
  index_[row] = spare.element;
  return spare.element;
}

size_t ItemDocument::SpareRowCount(ItemHandle group) const {
  auto it = inserted_.find(group);
  return it == inserted_.end() ? 0 : it->second.size();
}

ItemHandle HandleFromElementName(IXMLDOMElement* element) {
  BSTR name = nullptr;
  if (!element || element->get_nodeName(&name) != S_OK || !name) return 0;
  ItemHandle handle = 0;
  const std::wstring_view text(name, ::SysStringLen(name));
  if (text.size() > 4 && text.substr(0, 4) == L"Item") {
    int64_t value = 0;
    bool digits = true;
    for (size_t i = 4; i < text.size() && digits; ++i) {
      digits = text[i] >= L'0' && text[i] <= L'9' && i < 4 + 10;
      value = value * 10 + (text[i] - L'0');
    }
    if (digits && value <= 2147483647) handle = static_cast<ItemHandle>(value);
  }
  ::SysFreeString(name);
  return handle;
}

std::string GetAttributeText(IXMLDOMElement* element, const char* name) {
  if (!element) return {};
  VARIANT value;
  ::VariantInit(&value);
  std::string text;
  if (element->getAttribute(AttributeName(name), &value) == S_OK && value.vt == VT_BSTR && value.bstrVal)
    text = WideToGbk(std::wstring_view(value.bstrVal, ::SysStringLen(value.bstrVal)));
  ::VariantClear(&value);
  return text;
}

void SetAttributeText(IXMLDOMElement* element, const char* name, std::string_view value) {
  if (!element) return;
  VARIANT variant;
  ::VariantInit(&variant);
  variant.vt = VT_BSTR;
  std::wstring wide = GbkToWide(value);
  variant.bstrVal = ::SysAllocStringLen(wide.data(), wide.size());
  element->setAttribute(AttributeName(name), variant);
  ::VariantClear(&variant);
}

void RemoveAttribute(IXMLDOMElement* element, const char* name) {
  if (element) element->removeAttribute(AttributeName(name));
}

int32_t GetAttributeInt(IXMLDOMElement* element, const char* name) {
  double value = TextToDouble(GetAttributeText(element, name));
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(value);
}

void SetAttributeInt(IXMLDOMElement* element, const char* name, int64_t value) {
  SetAttributeText(element, name, std::to_string(value));
}

bool FlagFromText(const std::string& text) { return std::fabs(TextToDouble(text) - 1.0) <= 1e-7; }

bool GetAttributeFlag(IXMLDOMElement* element, const char* name) {
  return FlagFromText(GetAttributeText(element, name));
}

}  // namespace trr
