// The steps that show, hide, empty and release rows of a group, shared by the public operations and by the
// click handling of the ListBox.
#pragma once
#include "listctrl/control_state.h"
#include "listctrl/item_info.h"
#include "listctrl/row_element.h"

namespace trr {

// Inserts entries for every row of the group right after its header, sets 已扩展 1 and renumbers the
// entries after them (unless `renumber` is false: the caller renumbers once for a batch). Does not test
// 已扩展 first. Returns the position of the last inserted entry (the header's when there were no rows).
int ShowGroupRows(ControlState& state, ItemHandle group, bool renumber = true);
// Deletes the entries of the group's rows, sets their 项目索引 to -1 and 已扩展 to 0, then renumbers after
// the header (unless `renumber` is false). Does not test 已扩展 first. Returns the header's position.
int HideGroupRows(ControlState& state, ItemHandle group, bool renumber = true);
// A click on a group header: collapse an expanded group, expand a collapsed one; false when `group` is no group.
bool ToggleGroup(ControlState& state, ItemHandle group);

// Gives the group element `header` exactly the rows `rows`, each made from `common` (whose handle, group
// handle, name, number and list index are not used; every row takes its own references to common's bitmaps).
// The group's row elements are reused in order and, while it is expanded, their entries too: rewritten with
// the new rows' attributes and bitmaps as new rows would carry them. Rows are added (from the elements the
// group kept, else new) or removed (their elements kept) only beyond the old count, and the entries after the
// group move, the selection and hover with them; a selected or hovered row that shows another station now is
// no longer selected or hovered. `handles`, when given, receives each row's handle in row order (0 for a row
// the document refused). Renumbers the entries after the group when their positions changed, unless
// `renumber` is false. Returns the position of the group's last entry (the header's when it shows no row).
int RefillGroupRows(ControlState& state, IXMLDOMElement* header, const NewRow& common,
                    const std::vector<RowText>& rows, std::vector<ItemHandle>* handles, bool renumber);

// Releases what a row owns outside the document: its two avatar bitmaps and its flash entry.
void ReleaseRowResources(ControlState& state, IXMLDOMElement* row);
// Removes every row of the group (entries, bitmaps, elements, index), last to first, without renumbering.
// False when the group does not exist.
bool RemoveRowsOfGroup(ControlState& state, ItemHandle group);

// Repaints one entry through the control's own message, so paint goes through the ListBox's procedure.
void RepaintEntry(ControlState& state, int index);
// Repaints one entry only when some of it lies in the ListBox's client area (for batches of entries, most of
// which may be scrolled out of view).
void RepaintEntryIfVisible(ControlState& state, int index);

}  // namespace trr
