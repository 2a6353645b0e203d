// The per-control strip of 16 x 16 service icons.
#pragma once

namespace trr {

struct ControlState;

// Deletes the control's icon strip and forgets its icons (for a destroyed control or program end).
void ReleaseServiceIcons(ControlState& state);

}  // namespace trr
