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
  std::string settingsPath;
  std::string source;
  std::string destination;
  DownloadRequest request;
  HWND window = nullptr;
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

void StartUpgrade(HWND window) {
  DeleteFileIfPresent(CurrentDirectory() + "\\trtv.exe");
  ui::SetControlVisible(window, UpdaterControlName(k按钮1), false);
  ui::SetControlVisible(window, UpdaterControlName(k按钮2), true);
  g_state.source = ReadUpdateAddress(g_state.settingsPath);
  g_state.destination = CurrentDirectory() + "\\trRadio.exe";
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
  if (g_state.download) g_state.download->Start(request);
  ui::SetTimerInterval(window, UpdaterControlName(k时钟), 1000);
}

void StartUp(HWND window) {
  g_state.window = window;
  std::string programDirectory = ModuleDirectory();
  std::string skinPath = programDirectory + "\\" + kSkinFileName;
  if (!FileExists(skinPath)) {
    CarriedBytes skin = CarriedResource(kSkinFileResource);
    if (skin.data) WriteWholeFile(skinPath, std::string_view(reinterpret_cast<const char*>(skin.data), skin.size));
  }
  if (auto attach = reinterpret_cast<AttachSkinFunction>(FindMemoryModuleExport(g_state.skinModule, "AttachSkin")))
    attach(kSkinFileName, "");
  std::string settingsPath = programDirectory + "\\" + kSettingsFileName;
  if (!FileExists(settingsPath)) WriteWholeFile(settingsPath, DefaultSettingsText(UpdateServerUrl()));
  std::string notes = HttpGet(UpdateServerUrl() + "/upload/b.txt", kSmallReplyLimits);
  ui::SetControlText(window, UpdaterControlName(k标签1), notes);
  g_state.settingsPath = settingsPath;
  StartUpgrade(window);
}

void OnCancel(HWND window) {
  if (!UpgradeRunning(window)) return;
  if (!ui::AskYesNo(window, kQuestionTitle, kGiveUpQuestion)) return;
  DeleteFileIfPresent(g_state.settingsPath);
  EndAtOnce();
}

void Complete(HWND window) {
  ShowTick(window);  // the finished state, rather than the last second's
  if (!ui::AskYesNo(window, kQuestionTitle, kFinishedQuestion)) EndAtOnce();
  StartProgram(ModuleDirectory() + "\\trRadio.exe");
  DeleteFileIfPresent(g_state.settingsPath);
  DestroyWindow(window);
}

void OnDownloadMessage(HWND window, int32_t code, int32_t value) {
  if (code == kDownloadSizeKnown) g_state.totalSize = static_cast<int64_t>(value);
  if (code == kDownloadFinished) Complete(window);
}

}  // namespace

int RunUpdater() {
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  g_state.request = DownloadRequest();
  g_state.download = new Downloader();
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
