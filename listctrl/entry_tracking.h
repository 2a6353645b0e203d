// Keeps selectedIndex and hoverIndex on the entries they named when entries are inserted or deleted before
// them, so that a selected (possibly enlarged) row stays the selected one and hover never names a stranger.
#pragma once
#include "listctrl/control_state.h"

namespace trr {

// `count` entries were inserted at `position`: a selection at or after it moves down with its entry; the
// hovered entry is forgotten (the next mouse move finds what is under the pointer now).
void NoteEntriesInserted(ControlState& state, int position, int count);
// `count` entries starting at `position` were deleted: a selection inside them is cleared, one after them
// moves up with its entry; a hover at or after `position` is forgotten together with the hot icon.
void NoteEntriesRemoved(ControlState& state, int position, int count);

// For the entries of a group that its owner inserts, refills or removes (GroupList::InsertGroupWithRows) the
// hover moves with its entry as the selection does. `count` entries were inserted at `position`: the selected
// and hovered entries at or after it move down with them.
void MoveTrackedEntriesDown(ControlState& state, int position, int count);
// `count` entries from `position` on were deleted: a selected or hovered entry among them is no longer
// selected or hovered, and those after them move up.
void MoveTrackedEntriesUp(ControlState& state, int position, int count);

}  // namespace trr
