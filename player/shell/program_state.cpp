#include "player/shell/program_state.h"

namespace trr {

ProgramState& State() {
  static ProgramState state;
  return state;
}

void ResetState() { State() = ProgramState(); }

}  // namespace trr
