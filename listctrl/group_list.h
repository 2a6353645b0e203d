// GroupList: an owner-drawn ListBox that shows groups and their rows, keeps its items in an XML document and
// reports clicks and mouse movement to its owner through plain handler functions. Usable by itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct IXMLDOMDocument;
struct IXMLDOMElement;

namespace trr {

// Names one group or row; unique in the process. 0 never names an item.
using ItemHandle = int32_t;

// Event callback: item handle, x, y; the result is ignored.
using EventHandler = int32_t(__stdcall*)(int32_t handle, int32_t x, int32_t y);

// An optional argument travels as a value and a given flag; an omitted argument is value 0, flag 0.
template <typename T>
struct Optional {
  T value{};
  bool given = false;
};
template <typename T>
Optional<T> Given(T value) {
  return Optional<T>{value, true};
}

// The public record of one row.
struct RowData {
  ItemHandle handle = 0;       // output of AddItem, input of SetItemInfo, output of GetItemInfo
  ItemHandle groupHandle = 0;  // must name an existing group for AddItem
  std::string avatarPicture;   // encoded image bytes; required for AddItem, not returned by GetItemInfo
  std::string name;            // 项目名称
  std::string number;          // 项目号码
  int32_t nameColour = 0;      // 名称颜色, COLORREF
  bool online = false;         // 是否在线
  std::string signature;       // 个性签名
  std::string remark;          // 备注信息
};

// One row of a bulk fill (AddGroupsWithRows): what differs between its rows; the rest comes from the fill's
// template row.
struct RowText {
  std::string_view name;    // 项目名称
  std::string_view number;  // 项目号码
};

// One new group of a bulk fill, with its rows in display order.
struct GroupRows {
  std::string_view title;
  std::vector<RowText> rows;
};

struct ControlState;

// The list control object. Its operations are virtual and declared in the order of its table of operations;
// every operation first finds its ControlState in the process-wide registry and returns its failure value
// (0, false, empty text) when the control was never created.
class GroupList {
 public:
  // 1. Construction does nothing; a copy copies the two window handles.
  GroupList() = default;
  GroupList(const GroupList&) = default;
  GroupList& operator=(const GroupList&) = default;
  virtual ~GroupList() = default;

  // 2. Creates the ListBox inside `container`; 1 on success, 0 when already created or on failure.
  virtual int Create(HWND container, Optional<int> borderStyle = {}, Optional<int> mode = {},
                     Optional<int> enlargeSelected = {}, Optional<COLORREF> background = {});

  // 3. Stores the handlers in this argument order; an omitted one removes that handler.
  virtual void SetEventHandlers(Optional<EventHandler> onRowClick = {}, Optional<EventHandler> onRowDoubleClick = {},
                                Optional<EventHandler> onRowRightClick = {},
                                Optional<EventHandler> onMouseEnterEntry = {},
                                Optional<EventHandler> onMouseLeaveEntry = {}, Optional<EventHandler> onGroupClick = {},
                                Optional<EventHandler> onGroupDoubleClick = {},
                                Optional<EventHandler> onGroupRightClick = {}, Optional<EventHandler> onIconClick = {});
  // Appends one 16x16 icon to the service-icon strip; its number (the new count), 0 when not a picture.
  virtual int AddServiceIcon(const std::string& pictureBytes, Optional<COLORREF> transparentColour = {});

  // 4. Row reading, changing, finding and adding.
  virtual bool GetItemInfo(ItemHandle handle, RowData& row, std::vector<int32_t>* icons = nullptr);
  virtual void SetItemInfo(const RowData& row);
  virtual bool GetSelectedItemInfo(RowData& row, std::vector<int32_t>* icons = nullptr);
  virtual ItemHandle FindItemByNumber(const std::string& value);
  virtual ItemHandle FindItemByName(const std::string& value);
  virtual ItemHandle FindItemByRemark(const std::string& value);
  virtual ItemHandle FindItemByAttribute(const std::string& attribute, const std::string& value);
  // Adds a row under row.groupHandle; writes the new handle into row.handle. False on any rejection.
  virtual bool AddItem(RowData& row, const std::vector<int32_t>* icons = nullptr);

  // 5. Groups.
  virtual ItemHandle AddGroup(const std::string& title, Optional<bool> expanded = {}, Optional<COLORREF> colour = {});
  virtual bool ExpandGroup(ItemHandle group);
  virtual bool CollapseGroup(ItemHandle group);
  virtual void ExpandAllGroups();
  virtual void CollapseAllGroups();

  // 6. Removes a row with its entry and bitmaps; false when the handle names no row (groups go with RemoveGroup).
  virtual bool RemoveItem(ItemHandle row);

  // 7.
  virtual ItemHandle FindGroupByName(const std::string& title);
  virtual std::string GetGroupName(ItemHandle group);
  virtual bool ClearGroups(Optional<ItemHandle> group = {});
  virtual bool RemoveGroup(Optional<ItemHandle> group = {});
  // Removes every row of a group (entries, bitmaps, elements); false when the handle names no group.
  virtual bool ClearGroupRows(ControlState& state, ItemHandle group, bool renumber);

  // 8.
  virtual void Refresh();
  virtual ItemHandle NewItemHandle();
  virtual void SaveToFile(const std::string& path);

  // 9.
  virtual bool SetOnline(ItemHandle row, Optional<int> blinkIntervalMs = {});
  virtual bool SetOffline(ItemHandle row);

  // 10.
  virtual void SortAllGroups();
  virtual void SortGroupRows(IXMLDOMDocument* document, IXMLDOMElement* group);

  // 11.
  virtual void StartAvatarFlash(ItemHandle row);
  virtual void StopAvatarFlash(ItemHandle row);
  virtual void SetLargeView();
  virtual void SetMediumView(Optional<int> enlargeSelected = {});
  virtual void SetGroupColours(Optional<int> square = {}, Optional<COLORREF> normalFrame = {},
                               Optional<COLORREF> normalFill = {}, Optional<COLORREF> hoverFrame = {},
                               Optional<COLORREF> hoverFill = {}, Optional<COLORREF> selectedFrame = {},
                               Optional<COLORREF> selectedFill = {});
  virtual void SetRowColours(Optional<int> square = {}, Optional<COLORREF> normalFrame = {},
                             Optional<COLORREF> normalFill = {}, Optional<COLORREF> hoverFrame = {},
                             Optional<COLORREF> hoverFill = {}, Optional<COLORREF> selectedFrame = {},
                             Optional<COLORREF> selectedFill = {}, Optional<COLORREF> avatarFrame = {},
                             Optional<COLORREF> ninthColour = {});
  // -1 for either colour means that part of the hot-icon highlight is not drawn.
  virtual void SetIconHighlightColours(Optional<int32_t> hotFill = {}, Optional<int32_t> hotFrame = {});
  virtual void SetSmallView(Optional<int> enlargeSelected = {});
  virtual void ApplyRowHeight(int height, int skipIndex);

  // 12.
  virtual void SelectItem(ItemHandle handle);
  // The entry's item handle; -1 (LB_ERR) for a position that does not exist.
  virtual ItemHandle GetHandleAt(int position);

  // 13. Bulk fill, beside the table. For each group in order: AddGroup(title) (collapsed, black title), then
  // per row AddItem of `rowTemplate` with that row's name and number (no service icons; the template's handle
  // and group handle are not used). Handles, bitmaps, entries, painting, events and the document are those of
  // the per-item calls; the row elements of these collapsed groups are made when first used (ItemDocument),
  // and the avatar is decoded when the first of them is made. Bytes that are no picture then drop the rows (as
  // AddItem would refuse them), though their handles were already issued.
  // Returns the number of groups added; 0 when the control was never created.
  virtual int AddGroupsWithRows(const std::vector<GroupRows>& groups, const RowData& rowTemplate);

  // 14. A group with its rows at a given place, beside the table: for groups that an owner keeps above (or
  // between) groups filled earlier. Inserts the group before the `before`-th group (0: first; a position past
  // the last group, or negative, appends it), collapsed or expanded, with one row per entry of `group.rows`
  // made from `rowTemplate` as AddGroupsWithRows makes them; the rows' handles are the ones right after the
  // group's, in row order. Every entry at or after the new header moves down, and the selected and hovered
  // entries move with them. Handle of the new group; 0 when the control was never created or the document
  // refused the group.
  // When `refill` names a group that this operation inserted and that is still in the list, that group is
  // refilled in place instead (`before` is not used): the same header at the same place takes the title, the
  // expanded state and the rows a new group would have, its row elements and entries reused in order with
  // their attributes and bitmaps rewritten, and rows added or removed only beyond the old count (the elements
  // of removed rows, with their handles, are kept for the group's later refills, so that the elements a group
  // ever makes are as many as its most rows). The entries after the group move with the selection and hover;
  // a selected or hovered row that shows another station now is no longer selected or hovered. Returns that
  // group's handle. `rowHandles`, when given, receives the rows' handles in row order (0 for a row the
  // document refused).
  virtual ItemHandle InsertGroupWithRows(int before, const GroupRows& group, const RowData& rowTemplate,
                                         bool expanded, ItemHandle refill = 0,
                                         std::vector<ItemHandle>* rowHandles = nullptr);
  // Removes a group with its rows, entries and bitmaps; the entries after it move up, and the selected and
  // hovered entries with them (a selected or hovered entry of the group itself is no longer selected or
  // hovered). False when the handle names no group.
  virtual bool RemoveGroupWithRows(ItemHandle group);

  HWND listWindow() const { return listWindow_; }
  HWND parentWindow() const { return parentWindow_; }

 private:
  // The registered state of this control; nullptr when it was never created.
  ControlState* State() const;

  HWND listWindow_ = nullptr;
  HWND parentWindow_ = nullptr;
};

// Releases every control's document and the flash list; called once at program end.
void ReleaseAllListControls();

}  // namespace trr
