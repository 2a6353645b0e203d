#include "player/shell/player_main.h"

#include "player/shell/main_window.h"
#include "player/shell/program_end.h"
#include "player/shell/program_state.h"
#include "ui/message_loop.h"

namespace trr {

void RunExitCleanup() {
  ProgramState& state = State();
  state.wmpControls.Reset();
  state.wmpSettings.Reset();
  state.wmpNetwork.Reset();
  // A directory job still running is not waited for; its result goes nowhere.
  state.sources.reset();
  state.nowPlaying.reset();
  state.cachePath.clear();
  state.channelListBytes.clear();
  state.remoteVersionText.clear();
  state.currentStationName.clear();
  ReleaseAllListControls();
}

int RunPlayer(HMODULE resources) {
  ResetState();
  RegisterExitCleanup(RunExitCleanup);
  if (!CreateMainWindow(resources)) {
    EndProgram(1);
    return 1;
  }
  ui::RunMessageLoop();
  EndProgram(0);
  return 0;
}

}  // namespace trr
