// The ItemDocument: the MSXML DOM document ("Microsoft.XMLDOM", else "MSXML.DOMDocument") that is the one store
// of a control's groups and rows, with an index from item handle to element beside it so that a lookup does
// not scan the document. Texts cross between GBK and the DOM's UTF-16 through code page 936.
#pragma once
#include <msxml.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "common/com_ptr.h"
#include "listctrl/group_list.h"

namespace trr {

using ElementPtr = ComPtr<IXMLDOMElement>;

class ItemDocument {
 public:
  // Creates the DOM document with its root 分组列表 (attributes hwnd and hParent). False when no XML DOM
  // can be created; the document then stays empty and every lookup finds nothing.
  bool Create(HWND listWindow, HWND parentWindow);
  // Drops the document, its root and the index (accepts a document that was never created).
  void Release();
  bool IsValid() const { return static_cast<bool>(document_); }

  IXMLDOMDocument* Dom() const { return document_.Get(); }
  ElementPtr Root() const { return root_; }

  // A new element named "Item" + handle, not yet in the tree, registered in the index; null on failure.
  ElementPtr CreateItemElement(ItemHandle handle);
  // The element of a handle; null when absent.
  ElementPtr Find(ItemHandle handle) const;
  // Drops the handle from the index (call when its element leaves the tree).
  void Forget(ItemHandle handle);
  // Number of handles in the index (every group and row element in the tree).
  size_t IndexSize() const { return index_.size(); }

  // Appends `child` as the last child of `parent`; removes `child` from `parent`. False when the DOM refuses.
  bool Append(IXMLDOMElement* parent, IXMLDOMElement* child);
  bool Remove(IXMLDOMElement* parent, IXMLDOMElement* child);

  // Child elements of `parent` in document order (walked by sibling links, linear in the child count).
  std::vector<ElementPtr> Children(IXMLDOMElement* parent) const;
  // Number of child elements of `parent`.
  long ChildCount(IXMLDOMElement* parent) const;

  // Writes the document with the DOM's save (its default encoding); failures are not reported.
  void Save(const std::string& path) const;

 private:
  ComPtr<IXMLDOMDocument> document_;
  ElementPtr root_;
  std::unordered_map<ItemHandle, ElementPtr> index_;
};

// Attribute access in GBK text. A missing attribute reads as empty text.
std::string GetAttributeText(IXMLDOMElement* element, const char* name);
void SetAttributeText(IXMLDOMElement* element, const char* name, const std::string& value);
// Numbers are stored as decimal text and read back truncated toward zero; missing reads 0.
int32_t GetAttributeInt(IXMLDOMElement* element, const char* name);
void SetAttributeInt(IXMLDOMElement* element, const char* name, int64_t value);
// A flag is true only when its value is 1 (within 1e-7); missing or any other value is false.
bool GetAttributeFlag(IXMLDOMElement* element, const char* name);
// True when the text reads as the flag value 1 (within 1e-7).
bool FlagFromText(const std::string& text);

}  // namespace trr
