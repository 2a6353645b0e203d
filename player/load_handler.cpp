#include "player/load_handler.h"

#include "common/file_util.h"
#include "player/channel_cache.h"
#include "player/main_window.h"
#include "player/notify_icon_slot.h"
#include "player/program_state.h"
#include "player/shell_hooks.h"
#include "ui/window_region.h"

namespace trr {

void RunLoadHandler(HWND mainWindow) {
  ProgramState& state = State();
  // 1. Where the channel cache lives.
  state.cachePath = ChannelCachePath(ModuleDirectory());
  // 2. The directory, read from the cache or fetched when the cache is missing, on a worker: the window never
  // waits for it. A failed fetch leaves no file behind.
  StartChannelDirectory(mainWindow);
  // 3. The channel list, empty until the directory arrives.
  CreateChannels(mainWindow);
  // 4. The media player's sub-objects.
  TakeMediaPlayerObjects(mainWindow);
  // 5. Rounded shape of the window's present size; folding later does not reshape it.
  state.windowHandle = mainWindow;
  state.windowRegion = ui::ApplyRoundedRegion(mainWindow, 5);
  // 6. The notification-area icon.
  InstallProgramIcon(mainWindow, PlayerResources());
  // 7. The update check, which may end the program here; its request leaves after the directory's.
  WaitForDirectoryRequest();
  RunUpdateCheck(mainWindow);
}

}  // namespace trr
