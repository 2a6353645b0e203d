#include "listctrl/entry_tracking.h"

namespace trr {

void NoteEntriesInserted(ControlState& state, int position, int count) {
  if (count <= 0 || position < 0) return;
  if (state.selectedIndex >= position) state.selectedIndex += count;
  if (state.hoverIndex >= position) {
    state.hoverIndex = -1;
    state.hotIcon = 0;
  }
}

void NoteEntriesRemoved(ControlState& state, int position, int count) {
  if (count <= 0 || position < 0) return;
  if (state.selectedIndex >= position + count)
    state.selectedIndex -= count;
  else if (state.selectedIndex >= position)
    state.selectedIndex = -1;
  if (state.hoverIndex >= position) {
    state.hoverIndex = -1;
    state.hotIcon = 0;
  }
}

void MoveTrackedEntriesDown(ControlState& state, int position, int count) {
  if (count <= 0 || position < 0) return;
  if (state.selectedIndex >= position) state.selectedIndex += count;
  if (state.hoverIndex >= position) state.hoverIndex += count;
}

void MoveTrackedEntriesUp(ControlState& state, int position, int count) {
  if (count <= 0 || position < 0) return;
  if (state.selectedIndex >= position + count)
    state.selectedIndex -= count;
  else if (state.selectedIndex >= position)
    state.selectedIndex = -1;
  if (state.hoverIndex >= position + count) {
    state.hoverIndex -= count;
  } else if (state.hoverIndex >= position) {
    state.hoverIndex = -1;
    state.hotIcon = 0;
  }
}

}  // namespace trr
