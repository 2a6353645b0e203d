// The ItemDocument: the MSXML DOM document ("Microsoft.XMLDOM", else "MSXML.DOMDocument") that is the one store
// of a control's groups and rows, with an index from item handle to element beside it so that a lookup does
// not scan the document. Texts cross between GBK and the DOM's UTF-16 through code page 936.
//
// Rows of a collapsed group may be deferred (a bulk fill of a large directory does that): their handles and
// bitmaps exist, but their elements are made, in order and exactly as they would have been at once, only when
// something first looks at the group's children or at one of those rows. The DOM costs about 10 us and 3 KB
// per row element under Wine whether it is built by calls or parsed from text, and most groups of a large
// directory are never opened.
#pragma once
#include <msxml.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/com_ptr.h"
#include "listctrl/group_list.h"

namespace trr {

using ElementPtr = ComPtr<IXMLDOMElement>;

class ItemDocument;

// The rows of one group whose elements are not made yet (see ItemDocument::Defer).
class DeferredRows {
 public:
  virtual ~DeferredRows() = default;
  // True when one of the rows has this handle.
  virtual bool Holds(ItemHandle handle) const = 0;
  // Makes the rows' elements, in order, and appends them to `group` (with the document's CreateItemElement
  // and Append).
  virtual void Make(ItemDocument& document, IXMLDOMElement* group) = 0;
  // Gives back what the rows own outside the document (their bitmaps) when they go without being made.
  virtual void Discard() = 0;
};

class ItemDocument {
 public:
  // Creates the DOM document with its root 分组列表 (attributes hwnd and hParent). False when no XML DOM
  // can be created; the document then stays empty and every lookup finds nothing.
  bool Create(HWND listWindow, HWND parentWindow);
  // Drops the document, its root and the index, and discards deferred rows (accepts a document that was never
  // created).
  void Release();
  bool IsValid() const { return static_cast<bool>(document_); }

  // The DOM document with every deferred row made, for code that walks it directly.
  IXMLDOMDocument* Dom();
  // True when `document` is this control's DOM document (makes nothing).
  bool Is(const IXMLDOMDocument* document) const { return document && document == document_.Get(); }
  // The root element. Walk its groups and their rows with Children, which makes deferred rows first.
  ElementPtr Root() const { return root_; }

  // A new element named "Item" + handle, not yet in the tree, registered in the index; null on failure.
  ElementPtr CreateItemElement(ItemHandle handle);
  // The element of a handle (a deferred row is made with the rest of its group first); null when absent.
  ElementPtr Find(ItemHandle handle);
  // Drops the handle from the index (call when its element leaves the tree), and an inserted group's kept rows.
  void Forget(ItemHandle handle);
  // Number of handles in the index (every group and row element in the tree).
  size_t IndexSize() const { return index_.size(); }

  // Appends `child` as the last child of `parent` (after the parent's deferred rows, which are made first);
  // removes `child` from `parent`. False when the DOM refuses.
  bool Append(IXMLDOMElement* parent, IXMLDOMElement* child);
  bool Remove(IXMLDOMElement* parent, IXMLDOMElement* child);
  // Inserts `child` into `parent` right before its child `next`; null `next` appends as Append does. False
  // when the DOM refuses.
  bool InsertBefore(IXMLDOMElement* parent, IXMLDOMElement* child, IXMLDOMElement* next);

  // Child elements of `parent` in document order (walked by sibling links, linear in the child count); a
  // group's deferred rows are made first.
  std::vector<ElementPtr> Children(IXMLDOMElement* parent);
  // Number of child elements of `parent`.
  long ChildCount(IXMLDOMElement* parent);

  // Writes the document, every deferred row made, with the DOM's save (its default encoding); failures are
  // not reported.
  void Save(const std::string& path);

  // Leaves the elements of `rows` unmade until they are needed (see the note at the top). `group` must be a
  // group element in the tree without rows; a second Defer for the same group replaces nothing and discards
  // `rows`.
  void Defer(ItemHandle group, std::unique_ptr<DeferredRows> rows);
  // Discards the group's deferred rows; false when it has none.
  bool DropDeferred(ItemHandle group);
  void DropAllDeferred();
  void MakeAllDeferred();
  // Number of groups whose rows are deferred.
  size_t DeferredGroupCount() const { return deferred_.size(); }

  // Groups that GroupList::InsertGroupWithRows made, which a later call may refill in place. Each keeps the row
  // elements a refill took out of it (out of the tree and the index, with their handles) for a later refill
  // that needs more rows again: Wine's DOM frees no element before the document goes, so a group refilled on
  // every keystroke would otherwise make new elements without end.
  void NoteInsertedGroup(ItemHandle group);
  bool IsInsertedGroup(ItemHandle group) const { return inserted_.count(group) != 0; }
  // Keeps `row` (its handle already dropped from the index, the element out of the tree) for the group's
  // next refill; ignored for a group that was not inserted.
  void KeepSpareRow(ItemHandle group, ItemHandle row, ElementPtr element);
  // A kept row of the group, registered in the index again under its handle (given in `row`); null when the
  // group has none.
  ElementPtr TakeSpareRow(ItemHandle group, ItemHandle& row);
  // Forgets that the group was inserted, with its kept rows.
  void ForgetInsertedGroup(ItemHandle group) { inserted_.erase(group); }
  // Number of rows kept for the group's refills.
  size_t SpareRowCount(ItemHandle group) const;

 private:
  // Makes the deferred rows of the group element `parent`, if it has any.
  void MakeDeferredRowsOf(IXMLDOMElement* parent);
  void MakeDeferred(ItemHandle group, IXMLDOMElement* element);

  ComPtr<IXMLDOMDocument> document_;
  ElementPtr root_;
  std::unordered_map<ItemHandle, ElementPtr> index_;
  std::map<ItemHandle, std::unique_ptr<DeferredRows>> deferred_;  // by group handle
  struct SpareRow {
    ItemHandle handle;
    ElementPtr element;
  };
  std::unordered_map<ItemHandle, std::vector<SpareRow>> inserted_;  // by group handle
};

// The handle in an element's name ("Item" + handle); 0 for any other name.
ItemHandle HandleFromElementName(IXMLDOMElement* element);

// Attribute access in GBK text. A missing attribute reads as empty text.
std::string GetAttributeText(IXMLDOMElement* element, const char* name);
void SetAttributeText(IXMLDOMElement* element, const char* name, std::string_view value);
// Removes the attribute; nothing happens when it is missing.
void RemoveAttribute(IXMLDOMElement* element, const char* name);
// Numbers are stored as decimal text and read back truncated toward zero; missing reads 0.
int32_t GetAttributeInt(IXMLDOMElement* element, const char* name);
void SetAttributeInt(IXMLDOMElement* element, const char* name, int64_t value);
// A flag is true only when its value is 1 (within 1e-7); missing or any other value is false.
bool GetAttributeFlag(IXMLDOMElement* element, const char* name);
// True when the text reads as the flag value 1 (within 1e-7).
bool FlagFromText(const std::string& text);

}  // namespace trr
