// End to end: the real TrRadioDl.exe, copied into temporary directories, against the demo server, with a
// stand-in player that records that it was started.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/file_util.h"
#include "common/scoped_win.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/message_pump.h"
#include "tests/harness/temp_dir.h"
#include "tests/harness/window_probe.h"
#include "updater/progress_format.h"
#include "updater/settings_file.h"
#include "updater/updater_flow.h"
#include "updater/updater_window.h"

namespace trr {
namespace {

using test::BinDirectory;
using test::PercentEncode;
using test::ScopedTempDir;
using test::ServerControl;
using test::ServerRequestLog;
using test::ServerReset;
using test::TestServerUrl;
using test::WindowText;

std::string Contents(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

// Serves the file `name` from the tests' directory under `route`.
void ServeFromBin(const std::string& route, const std::string& name) {
  std::string unixDir = getenv("TRRADIO_BIN_DIR") ? getenv("TRRADIO_BIN_DIR") : "";
  ASSERT_EQ(ServerControl("/__control/file?path=" + PercentEncode(route) + "&file=" + PercentEncode(unixDir + "/" + name)),
            "ok");
}

struct FindRequest {
  DWORD process;
  const char* className;
  const char* title;
  const char* question;  // text the window must show, or nullptr
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* request = reinterpret_cast<FindRequest*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != request->process || !IsWindowVisible(window)) return TRUE;
  char name[128];
  if (request->className && (!GetClassNameA(window, name, sizeof(name)) || lstrcmpA(name, request->className)))
    return TRUE;
  if (request->title && WindowText(window) != request->title) return TRUE;
  if (request->question && !test::FindChildByText(window, request->question)) return TRUE;
  request->found = window;
  return FALSE;
}

// A visible top-level window of `process` (showing `question`, when given); nullptr when none appears within
// `timeoutMs`.
HWND WaitForWindow(DWORD process, const char* className, const char* title, unsigned timeoutMs,
                   const char* question = nullptr) {
  DWORD start = GetTickCount();
  do {
    FindRequest request = {process, className, title, question, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
    if (request.found) return request.found;
    Sleep(50);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

// A message box of `process` that asks `question`; nullptr when none appears within `timeoutMs`.
HWND WaitForQuestion(DWORD process, const char* question, unsigned timeoutMs) {
  return WaitForWindow(process, "#32770", kQuestionTitle, timeoutMs, question);
}

// A program the server can hand out as the new player: the stand-in followed by random bytes up to `size`.
std::string ServeProgram(const std::string& name, size_t size, unsigned seed) {
  std::string bytes = Contents(BinDirectory() + "\\updater_standin_player.exe");
  std::mt19937 random(seed);
  while (bytes.size() < size) bytes += static_cast<char>(random());
  if (!WriteWholeFile(BinDirectory() + "\\" + name, bytes)) return "";
  ServeFromBin(kPlayerDownloadPath, name);
  return bytes;
}

bool WaitForFile(const std::string& path, unsigned timeoutMs) {
  DWORD start = GetTickCount();
  while (!FileExists(path)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

class UpdaterProcess {
 public:
  UpdaterProcess(const std::string& exe, const std::string& currentDirectory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string command = "\"" + exe + "\"";
    started_ = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                              currentDirectory.c_str(), &startup, &info_) != FALSE;
  }
  ~UpdaterProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool started() const { return started_; }
  DWORD id() const { return info_.dwProcessId; }
  // The exit code, or STILL_ACTIVE when the process has not ended within `timeoutMs`.
  DWORD WaitForExit(unsigned timeoutMs) {
    WaitForSingleObject(info_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

std::string Label(HWND updater, UpdaterControl id) { return WindowText(FindUpdaterControl(updater, id)); }

class UpdaterFlowTest : public testing::Test {
 protected:
  void SetUp() override {
    ServerReset();
    standin_ = Contents(BinDirectory() + "\\updater_standin_player.exe");
    ASSERT_FALSE(standin_.empty());
    ServeFromBin(kPlayerDownloadPath, "updater_standin_player.exe");
  }
  void TearDown() override { ServerReset(); }
  std::string standin_;
};

TEST_F(UpdaterFlowTest, FirstRunWritesItsFilesDownloadsAndStartsTheNewPlayerOnYes) {
  ServerControl("/__control/body?path=/upload/b.txt&text=" + PercentEncode("1.2 新版本"));
  ScopedTempDir dir;
  ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", dir.File("TrRadioDl.exe")));
  ASSERT_TRUE(WriteWholeFile(dir.File("trtv.exe"), "the TV player"));
  UpdaterProcess updater(dir.File("TrRadioDl.exe"), dir.path());
  ASSERT_TRUE(updater.started());

  HWND box = WaitForWindow(updater.id(), "#32770", kQuestionTitle, 30000);
  ASSERT_NE(box, nullptr) << "no completion question";
  EXPECT_NE(test::FindChildByText(box, kFinishedQuestion), nullptr);
  HWND window = WaitForWindow(updater.id(), kUpdaterClass, nullptr, 1000);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WindowText(window), kUpdaterCaption);
  EXPECT_EQ(Label(window, k标签1), "1.2 新版本");
  EXPECT_EQ(Label(window, k标签时间), "升级进度: 100 %");
  EXPECT_EQ(SendMessageA(FindUpdaterControl(window, k进度条1), PBM_GETPOS, 0, 0), 100);
  EXPECT_FALSE(GetWindowLongA(FindUpdaterControl(window, k按钮1), GWL_STYLE) & WS_VISIBLE);
  EXPECT_TRUE(GetWindowLongA(FindUpdaterControl(window, k按钮2), GWL_STYLE) & WS_VISIBLE);

  std::string carriedSkin = Contents(std::string(getenv("TRRADIO_SOURCE_DIR")) + "/assets/trss.she");
  ASSERT_FALSE(carriedSkin.empty());
  EXPECT_EQ(Contents(dir.File("trss.she")), carriedSkin);
  EXPECT_EQ(Contents(dir.File("trup.ini")), DefaultSettingsText(TestServerUrl()));
  EXPECT_FALSE(FileExists(dir.File("trtv.exe")));
  EXPECT_TRUE(Contents(dir.File("trRadio.exe")) == standin_);
  EXPECT_FALSE(FileExists(dir.File("trRadio.exe.part")));
  auto log = ServerRequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "/upload/b.txt");
  EXPECT_EQ(log[1], kPlayerDownloadPath);

  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(updater.WaitForExit(10000), 0u);
  ASSERT_TRUE(WaitForFile(dir.File("standin-ran.txt"), 10000));
  EXPECT_EQ(Contents(dir.File("standin-ran.txt")), dir.File("trRadio.exe") + "|" + dir.path());
  EXPECT_FALSE(FileExists(dir.File("trup.ini")));
}

// Started from elsewhere (a shortcut with another working directory), the updater still works only in its own
// directory: the player there is the one replaced and started.
TEST_F(UpdaterFlowTest, KeepsAnExistingSettingsFileAndReplacesThePlayerBesideIt) {
  ServeFromBin("/other/new-player.exe", "updater_standin_player.exe");
  ScopedTempDir program;
  ScopedTempDir current;
  ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", program.File("TrRadioDl.exe")));
  ASSERT_TRUE(WriteWholeFile(program.File("trRadio.exe"), "the installed player"));
  std::string settings = "[基本设置]\r\nup=   " + TestServerUrl() + "/other/new-player.exe  \r\nupr=x\r\n";
  ASSERT_TRUE(WriteWholeFile(program.File("trup.ini"), settings));
  ASSERT_TRUE(WriteWholeFile(current.File("trtv.exe"), "a TV player elsewhere"));
  ASSERT_TRUE(WriteWholeFile(program.File("trtv.exe"), "the TV player"));
  const std::string favorites = "TRRADIO FAVORITES 1\r\nbuiltin\t102\t\t中国之声\r\nend\t1\r\n";
  ASSERT_TRUE(WriteWholeFile(program.File("Favorites.Dat"), favorites));
  UpdaterProcess updater(program.File("TrRadioDl.exe"), current.path());
  ASSERT_TRUE(updater.started());

  HWND box = WaitForWindow(updater.id(), "#32770", kQuestionTitle, 30000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Contents(program.File("trup.ini")), settings);  // not overwritten
  EXPECT_TRUE(FileExists(program.File("trss.she")));
  EXPECT_FALSE(FileExists(current.File("trss.she")));
  EXPECT_FALSE(FileExists(current.File("trup.ini")));
  EXPECT_TRUE(Contents(program.File("trRadio.exe")) == standin_);
  EXPECT_FALSE(FileExists(current.File("trRadio.exe")));
  EXPECT_FALSE(FileExists(program.File("trtv.exe")));
  EXPECT_TRUE(FileExists(current.File("trtv.exe")));
  auto log = ServerRequestLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1], "/other/new-player.exe");  // the trimmed address

  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(updater.WaitForExit(10000), 0u);
  ASSERT_TRUE(WaitForFile(program.File("standin-ran.txt"), 10000));
  EXPECT_EQ(Contents(program.File("standin-ran.txt")), program.File("trRadio.exe") + "|" + current.path());
  EXPECT_FALSE(FileExists(program.File("trup.ini")));
  EXPECT_EQ(Contents(program.File("Favorites.Dat")), favorites) << "the update keeps the favourites";
}

// Each way a download can go wrong, and the two ways it can still end well: the installed player is replaced
// only by the whole new program, and a failure is shown with 升级 offered again. A server that trickles its
// headers (the notes' too, in that row) is given up at each fetch's deadline: the window shows once the notes'
// 6 s are over, the failure 10 s after the transfer started.
TEST_F(UpdaterFlowTest, ABrokenDownloadKeepsTheInstalledPlayerAndSaysSo) {
  constexpr int kHeldThroughout = -1;
  struct Row {
    const char* fault;
    int holdMs;  // how long the installed player stays open once the new one has arrived
    bool installs;
  } rows[] = {
      {"nolength", 0, true},    {"cutnolength", 0, false}, {"cut", 0, false},
      {"chunkedcut", 0, false}, {"html", 0, false},        {"scrambled", 0, false},
      {"normal", 3000, true},   {"normal", kHeldThroughout, false}, {"trickle", 0, false},
  };
  const std::string installed = "the installed player";
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.fault) + " held " + std::to_string(row.holdMs));
    const bool trickle = std::string(row.fault) == "trickle";
    test::ServerSetFault(kPlayerDownloadPath, row.fault);
    if (trickle) test::ServerSetFault("/upload/b.txt", row.fault);
    ScopedTempDir dir;
    ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", dir.File("TrRadioDl.exe")));
    ASSERT_TRUE(WriteWholeFile(dir.File("trRadio.exe"), installed));
    // Open as a running program's file is: a rename over it is refused while it is open.
    ScopedHandle held(row.holdMs ? CreateFileA(dir.File("trRadio.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                 : INVALID_HANDLE_VALUE);
    const DWORD began = GetTickCount();
    UpdaterProcess updater(dir.File("TrRadioDl.exe"), dir.path());
    ASSERT_TRUE(updater.started());
    if (row.holdMs > 0) {
      // Let go once the new player has arrived whole and waits for the old one.
      EXPECT_TRUE(test::PumpUntil([&] { return Contents(dir.File("trRadio.exe.part")) == standin_; }, 20000));
      Sleep(row.holdMs);
      held.reset();
    }
    if (row.installs) {
      HWND box = WaitForQuestion(updater.id(), kFinishedQuestion, 20000);
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(Contents(dir.File("trRadio.exe")) == standin_);
      PostMessageA(box, WM_COMMAND, IDNO, 0);
    } else {
      HWND window = WaitForWindow(updater.id(), kUpdaterClass, nullptr, 20000);
      ASSERT_NE(window, nullptr);
      if (trickle) {
        EXPECT_LT(GetTickCount() - began, 7500u) << "the notes are given up at their deadline";
        EXPECT_EQ(Label(window, k标签1), "");
      }
      EXPECT_TRUE(test::PumpUntil([&] { return Label(window, k标签进度) == kUpgradeFailedText; }, 30000));
      if (trickle) {
        EXPECT_LT(GetTickCount() - began, 18500u) << "the transfer is given up 10 s after it started";
      }
      HWND retry = FindUpdaterControl(window, k按钮1);
      EXPECT_TRUE(GetWindowLongA(retry, GWL_STYLE) & WS_VISIBLE);
      EXPECT_FALSE(GetWindowLongA(FindUpdaterControl(window, k按钮2), GWL_STYLE) & WS_VISIBLE);
      RECT client = {}, button = {};
      GetClientRect(window, &client);
      GetWindowRect(retry, &button);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
      EXPECT_TRUE(button.top >= 0 && button.bottom <= client.bottom && button.right <= client.right)
          << "升级 can be clicked";
      EXPECT_EQ(Contents(dir.File("trRadio.exe")), installed);
      EXPECT_FALSE(FileExists(dir.File("trRadio.exe.part")));
      EXPECT_TRUE(FileExists(dir.File("trup.ini")));
      EXPECT_EQ(WaitForWindow(updater.id(), "#32770", nullptr, 0), nullptr);
      Sleep(1500);  // a tick, were the timer still running, would overwrite the failure
      EXPECT_EQ(Label(window, k标签进度), kUpgradeFailedText);
      if (row.holdMs == kHeldThroughout) {
        // Once the player is closed, a click on 升级 tries again and installs.
        held.reset();
        PostMessageA(retry, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
        PostMessageA(retry, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
        HWND box = WaitForQuestion(updater.id(), kFinishedQuestion, 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(Contents(dir.File("trRadio.exe")) == standin_);
        PostMessageA(box, WM_COMMAND, IDNO, 0);
      } else {
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
    }
    const DWORD closing = GetTickCount();
    EXPECT_EQ(updater.WaitForExit(10000), 0u);
    if (trickle) {
      EXPECT_LT(GetTickCount() - closing, 3000u) << "ending waits for no transfer";
    }
  }
}

// Restores the Wine display setting after the screenshot.
class WineSelfDecoratedWindows {
 public:
  WineSelfDecoratedWindows() {
    // Without a window manager Wine leaves title bars to one; this makes Wine draw them itself, so the skinned
    // frame reaches the screen of the child started next.
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = sizeof(previous_);
    had_ = RegQueryValueExA(key_, "Decorated", nullptr, nullptr, reinterpret_cast<BYTE*>(previous_), &size) ==
           ERROR_SUCCESS;
    RegSetValueExA(key_, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  }
  ~WineSelfDecoratedWindows() {
    if (!key_) return;
    if (had_)
      RegSetValueExA(key_, "Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(previous_),
                     lstrlenA(previous_) + 1);
    else
      RegDeleteValueA(key_, "Decorated");
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
  char previous_[64] = {};
  bool had_ = false;
};

test::Capture CaptureScreenRect(const RECT& r) {
  test::Capture capture;
  capture.width = r.right - r.left;
  capture.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  capture.pixels.resize(size_t(capture.width) * capture.height);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, capture.width, capture.height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, r.left, r.top, SRCCOPY);
  for (int y = 0; y < capture.height; ++y)
    for (int x = 0; x < capture.width; ++x) capture.pixels[size_t(y) * capture.width + x] = GetPixel(memory, x, y);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return capture;
}

// Started from another directory, so the skin is found only by its full path beside the updater.
TEST_F(UpdaterFlowTest, SkinnedWindowMidDownloadAndTheNoAnswer) {
  std::string big = ServeProgram("updater_served_big.exe", 1536 * 1024, 7);
  ServerControl("/__control/rate?bytes=307200");
  WineSelfDecoratedWindows decorated;
  ScopedTempDir dir;
  ScopedTempDir elsewhere;
  ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", dir.File("TrRadioDl.exe")));
  UpdaterProcess updater(dir.File("TrRadioDl.exe"), elsewhere.path());
  ASSERT_TRUE(updater.started());
  HWND window = WaitForWindow(updater.id(), kUpdaterClass, nullptr, 20000);
  ASSERT_NE(window, nullptr);
  // Wait for a tick that shows progress, then take the picture.
  DWORD start = GetTickCount();
  while (Label(window, k标签时间) == kInitialPercentText || Label(window, k标签时间) == "升级进度: 0 %") {
    ASSERT_LT(GetTickCount() - start, 15000u);
    Sleep(100);
  }
  Sleep(1100);
  RECT outer;
  GetWindowRect(window, &outer);
  test::Capture shot = CaptureScreenRect(outer);
  test::SavePng(shot, BinDirectory() + "\\updater_mid_download.png");
  int position = static_cast<int>(SendMessageA(FindUpdaterControl(window, k进度条1), PBM_GETPOS, 0, 0));
  EXPECT_GT(position, 0);
  EXPECT_LT(position, 100);
  EXPECT_EQ(Label(window, k标签大小), "文件大小: 1.5 MB");
  // The skin's colours (assets/trss.she): title bar, frame, body; the labels keep their own blue.
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  int captionY = (origin.y - outer.top) / 2;
  EXPECT_EQ(shot.At(60, captionY + 3), RGB(0, 96, 170)) << test::ColourText(shot.At(60, captionY + 3));
  EXPECT_EQ(shot.At(0, shot.height / 2), RGB(0, 64, 128)) << test::ColourText(shot.At(0, shot.height / 2));
  int clientX = origin.x - outer.left, clientY = origin.y - outer.top;
  EXPECT_EQ(shot.At(clientX + 250, clientY + 4), RGB(226, 238, 252));
  bool blueText = false;
  for (int y = clientY + 8; y < clientY + 28; ++y)
    for (int x = clientX + 16; x < clientX + 128; ++x) blueText |= shot.At(x, y) == RGB(0, 136, 255);
  EXPECT_TRUE(blueText);
  // The bar's filled part in the skin's bar colour.
  EXPECT_EQ(shot.At(clientX + 18, clientY + 66), RGB(0, 136, 255)) << test::ColourText(shot.At(clientX + 18, clientY + 66));

  HWND box = WaitForWindow(updater.id(), "#32770", kQuestionTitle, 20000);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(updater.WaitForExit(10000), 0u);
  EXPECT_TRUE(FileExists(dir.File("trup.ini")));  // "No" keeps the settings
  EXPECT_FALSE(FileExists(dir.File("standin-ran.txt")));
  EXPECT_TRUE(Contents(dir.File("trRadio.exe")) == big);
}

TEST_F(UpdaterFlowTest, GivingUpARunningUpgradeAsksAndRemovesTheSettingsOnYes) {
  std::mt19937 random(9);
  std::string big(1024 * 1024, '\0');
  for (char& c : big) c = static_cast<char>(random());
  ASSERT_TRUE(WriteWholeFile(BinDirectory() + "\\updater_served_giveup.exe", big));
  ServeFromBin(kPlayerDownloadPath, "updater_served_giveup.exe");
  ServerControl("/__control/rate?bytes=102400");
  ScopedTempDir dir;
  ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", dir.File("TrRadioDl.exe")));
  ASSERT_TRUE(WriteWholeFile(dir.File("trRadio.exe"), "the installed player"));
  UpdaterProcess updater(dir.File("TrRadioDl.exe"), dir.path());
  ASSERT_TRUE(updater.started());
  HWND window = WaitForWindow(updater.id(), kUpdaterClass, nullptr, 20000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForFile(dir.File("trRadio.exe.part"), 10000));
  HWND cancel = FindUpdaterControl(window, k按钮2);
  ASSERT_NE(cancel, nullptr);

  // "No" lets the upgrade go on.
  PostMessageA(cancel, BM_CLICK, 0, 0);
  HWND box = WaitForWindow(updater.id(), "#32770", kQuestionTitle, 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(test::FindChildByText(box, kGiveUpQuestion), nullptr);
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(updater.WaitForExit(1000), static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_TRUE(FileExists(dir.File("trup.ini")));

  // "Yes" ends the updater at once: settings removed, the transfer released, the installed player kept.
  PostMessageA(cancel, BM_CLICK, 0, 0);
  box = WaitForWindow(updater.id(), "#32770", kQuestionTitle, 10000);
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(updater.WaitForExit(10000), 0u);
  EXPECT_FALSE(FileExists(dir.File("trup.ini")));
  EXPECT_EQ(Contents(dir.File("trRadio.exe")), "the installed player");
  EXPECT_FALSE(FileExists(dir.File("trRadio.exe.part")));
  EXPECT_FALSE(FileExists(dir.File("standin-ran.txt")));
}

// The transfer ends while the give-up question is open: the finished question waits for its answer.
TEST_F(UpdaterFlowTest, AFinishedTransferWaitsForTheGiveUpAnswer) {
  std::string program = ServeProgram("updater_served_waiting.exe", 400 * 1024, 11);
  ServerControl("/__control/rate?bytes=204800");
  ScopedTempDir dir;
  ASSERT_TRUE(test::CopyFileTo(BinDirectory() + "\\TrRadioDl.exe", dir.File("TrRadioDl.exe")));
  UpdaterProcess updater(dir.File("TrRadioDl.exe"), dir.path());
  ASSERT_TRUE(updater.started());
  HWND window = WaitForWindow(updater.id(), kUpdaterClass, nullptr, 20000);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitForFile(dir.File("trRadio.exe.part"), 10000));
  PostMessageA(FindUpdaterControl(window, k按钮2), BM_CLICK, 0, 0);
  HWND box = WaitForQuestion(updater.id(), kGiveUpQuestion, 10000);
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(WaitForFile(dir.File("trRadio.exe"), 20000));
  // The end of the transfer reaches the window, but its question waits.
  EXPECT_EQ(WaitForQuestion(updater.id(), kFinishedQuestion, 1000), nullptr);
  PostMessageA(box, WM_COMMAND, IDNO, 0);
  HWND finished = WaitForQuestion(updater.id(), kFinishedQuestion, 10000);
  ASSERT_NE(finished, nullptr);
  EXPECT_TRUE(Contents(dir.File("trRadio.exe")) == program);
  PostMessageA(finished, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(updater.WaitForExit(10000), 0u);
  EXPECT_TRUE(WaitForFile(dir.File("standin-ran.txt"), 10000));
}

}  // namespace
}  // namespace trr
