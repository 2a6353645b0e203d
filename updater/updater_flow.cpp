#include "updater/updater_flow.h"

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "common/file_util.h"
#include "common/gbk_text.h"
#include "common/http_fetch.h"
#include "common/process_start.h"
#include "common/server_address.h"
#include "updater/carried_data.h"
#include "updater/download_request.h"
#include "updater/downloader.h"
#include "updater/memory_module.h"
#include "updater/progress_format.h"
#include "updater/settings_file.h"
#include "updater/updater_window.h"
#include "ui/layout_window.h"
#include "ui/message_box.h"
#include "ui/message_loop.h"

namespace trr {
namespace {

using AttachSkinFunction = int (*)(const char* fileName, const char* password);

// Program-wide state. The texts are kept here so that the request can refer to them.
struct UpdaterState {
  MemoryModule* skinModule = nullptr;
  Downloader* download = nullptr;
  int64_t totalSize = 0;
  std::string programDirectory;
  std::string settingsPath;
  std::string source;
  std::string destination;
  DownloadRequest request;
  HWND window = nullptr;
  // A question box is open; the end of the transfer waits for its answer in pendingEnd (0: none).
  bool asking = false;
  int32_t pendingEnd = 0;
};

UpdaterState g_state;

// Runs at every end of the process: stops a running transfer and frees the request's texts. The skin module
// stays mapped, as windows may still be dressed by it while the process ends.
void ExitStep() {
  if (g_state.download) {
    g_state.download->Release();
    delete g_state.download;
    g_state.download = nullptr;
  }
  g_state.request = DownloadRequest();
  g_state.source.clear();
  g_state.destination.clear();
}

[[noreturn]] void EndAtOnce() { std::exit(0); }

// Called on the download worker thread: hand the event to the window thread, which acts on it.
int __stdcall OnDownloadEvent(int32_t code, int32_t, int32_t value, int32_t, int32_t) {
  if (g_state.window)
    PostMessageA(g_state.window, kDownloadEventMessage, static_cast<WPARAM>(code), static_cast<LPARAM>(value));
  return 0;
}

bool UpgradeRunning(HWND window) { return !ui::IsControlVisible(window, UpdaterControlName(k按钮1)); }

void ShowTick(HWND window) {
  int64_t received = g_state.download ? g_state.download->BytesReceived() : 0;
  int64_t speed = g_state.download ? g_state.download->Speed() : 0;
  ShowProgress(window, FormatProgress(g_state.totalSize, received, speed));
}

// Asks a question of the window; the end of the transfer arriving meanwhile waits until it is answered.
bool Ask(HWND window, const char* question) {
  g_state.asking = true;
  bool yes = ui::AskYesNo(window, kQuestionTitle, question);
  g_state.asking = false;
  return yes;
}

void ShowFailure(HWND window);

// Starts the transfer; false when it could not be started (no memory, no thread).
bool StartTransfer() {
  // A new transfer object for each try: one object runs one transfer.
  delete g_state.download;
  g_state.download = nullptr;
  g_state.totalSize = 0;
  try {
    g_state.download = new Downloader();
    g_state.source = ReadUpdateAddress(g_state.settingsPath);
    g_state.destination = g_state.programDirectory + "\\trRadio.exe";
  } catch (...) {
    return false;
  }
  DownloadRequest& request = g_state.request;
  request.field1 = 4096;
  request.source = g_state.source.c_str();
  request.speedWindowMs = 1000;
  request.connectAttempts = 5;
  request.destination = g_state.destination.c_str();
  request.connectTimeoutMs = 5000;
  request.sendTimeoutMs = 5000;
  request.receiveTimeoutMs = 10000;
  request.field12 = 10240;
  request.onEvent = OnDownloadEvent;
  return g_state.download->Start(request);
}

void StartUpgrade(HWND window) {
  if (UpgradeRunning(window)) return;
  // Every file of the updater lives beside it, whatever directory it was started in: the player that starts
  // it again at its next start is the one in this directory.
  DeleteFileIfPresent(g_state.programDirectory + "\\trtv.exe");
  ui::SetControlVisible(window, UpdaterControlName(k按钮1), false);
  ui::SetControlVisible(window, UpdaterControlName(k按钮2), true);
  ui::SetControlVisible(window, UpdaterControlName(k进度条1), true);
  ui::SetTimerInterval(window, UpdaterControlName(k时钟), 1000);
  // A transfer that cannot even start fails as a failed transfer does: 升级失败, and 升级 offered again.
  if (!StartTransfer()) ShowFailure(window);
}

void StartUp(HWND window) {
  g_state.window = window;
  const std::string& programDirectory = g_state.programDirectory;
  std::string skinPath = programDirectory + "\\" + kSkinFileName;
  if (!FileExists(skinPath)) {
    CarriedBytes skin = CarriedResource(kSkinFileResource);
    if (skin.data) WriteWholeFile(skinPath, std::string_view(reinterpret_cast<const char*>(skin.data), skin.size));
  }
  if (auto attach = reinterpret_cast<AttachSkinFunction>(FindMemoryModuleExport(g_state.skinModule, "AttachSkin")))
    attach(skinPath.c_str(), "");
  std::string settingsPath = programDirectory + "\\" + kSettingsFileName;
  if (!FileExists(settingsPath)) WriteWholeFile(settingsPath, DefaultSettingsText(UpdateServerUrl()));
  std::string notes = HttpGet(UpdateServerUrl() + "/upload/b.txt", kSmallReplyLimits);
  ui::SetControlText(window, UpdaterControlName(k标签1), notes);
  g_state.settingsPath = settingsPath;
  StartUpgrade(window);
}

void Complete(HWND window) {
  ShowTick(window);  // the finished state, rather than the last second's
  if (!Ask(window, kFinishedQuestion)) EndAtOnce();
  StartProgram(g_state.programDirectory + "\\trRadio.exe");
  DeleteFileIfPresent(g_state.settingsPath);
  DestroyWindow(window);
}

// The transfer failed and the installed player is untouched: say so, and offer 升级 again. The last amounts
// stay beside the failure; the timer stops so that no tick overwrites it. The settings file stays.
// The layout keeps 升级 below the visible part of the window, where no one could click it; after a failure it
// takes the place of the progress bar, which has nothing more to show.
void ShowFailure(HWND window) {
  ui::SetTimerInterval(window, UpdaterControlName(k时钟), 0);
  ShowTick(window);
  ui::SetControlVisible(window, UpdaterControlName(k按钮2), false);
  ui::SetControlVisible(window, UpdaterControlName(k进度条1), false);
  ui::MoveControl(window, UpdaterControlName(k按钮1), kRetryButtonLeft, kRetryButtonTop);
  ui::SetControlVisible(window, UpdaterControlName(k按钮1), true);
  // Last, so that whoever sees the words sees the whole failure state.
  ui::SetControlText(window, UpdaterControlName(k标签进度), kUpgradeFailedText);
}

void EndTransfer(HWND window, int32_t code) {
  if (code == kDownloadFinished) Complete(window);
  if (code == kDownloadFailed) ShowFailure(window);
}

void OnCancel(HWND window) {
  if (!UpgradeRunning(window) || g_state.asking) return;
  if (Ask(window, kGiveUpQuestion)) {
    DeleteFileIfPresent(g_state.settingsPath);
    EndAtOnce();
  }
  // "No": the upgrade goes on, and an end that arrived while the question was open is taken up now.
  int32_t pending = g_state.pendingEnd;
  g_state.pendingEnd = 0;
  if (pending) EndTransfer(window, pending);
}

void OnDownloadMessage(HWND window, int32_t code, int32_t value) {
  if (code == kDownloadSizeKnown) g_state.totalSize = static_cast<int64_t>(value);
  if (code != kDownloadFinished && code != kDownloadFailed) return;
  // The message box's own loop delivers this while a question is open; its answer comes first.
  if (g_state.asking)
    g_state.pendingEnd = code;
  else
    EndTransfer(window, code);
}

}  // namespace

int RunUpdater() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  g_state.request = DownloadRequest();
  g_state.download = new Downloader();
  g_state.programDirectory = ModuleDirectory();
  std::atexit(ExitStep);
  CarriedBytes engine = CarriedResource(kSkinEngineResource);
  g_state.skinModule = MapMemoryModule(engine.data, engine.size);

  UpdaterWindowHandlers handlers;
  handlers.created = StartUp;
  handlers.upgradeClicked = StartUpgrade;
  handlers.cancelClicked = OnCancel;
  handlers.tick = ShowTick;
  handlers.downloadEvent = OnDownloadMessage;
  if (!CreateUpdaterWindow(handlers)) return 1;
  // Destroying the window (completion, close box or Esc) ends the loop.
  ui::RunMessageLoop();
  g_state.window = nullptr;
  return 0;
}

}  // namespace trr
