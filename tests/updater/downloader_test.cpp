#include "updater/downloader.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/file_util.h"
#include "common/scoped_win.h"
#include "tests/harness/demo_server_client.h"
#include "tests/harness/temp_dir.h"
#include "updater/download_state.h"

namespace trr {
namespace {

using test::PercentEncode;
using test::ServerControl;
using test::ServerReset;
using test::ServerSetFault;
using test::TestServerUrl;

struct Event {
  int32_t code;
  int32_t value;
  DWORD thread;
};
std::mutex g_eventLock;
std::vector<Event> g_events;
int g_badArguments = 0;

int __stdcall RecordEvent(int32_t code, int32_t a, int32_t value, int32_t b, int32_t c) {
  std::lock_guard<std::mutex> lock(g_eventLock);
  if (a || b || c) ++g_badArguments;
  g_events.push_back({code, value, GetCurrentThreadId()});
  return 0;
}

std::vector<Event> Events() {
  std::lock_guard<std::mutex> lock(g_eventLock);
  return g_events;
}

// Waits until an event with code 4 or 5 arrived; false on timeout.
bool WaitForEnd(unsigned timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    for (const Event& e : Events())
      if (e.code == kDownloadFinished || e.code == kDownloadFailed) return true;
    Sleep(20);
  }
  return false;
}

bool HasCode(int32_t code) {
  for (const Event& e : Events())
    if (e.code == code) return true;
  return false;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// A built Windows program followed by random bytes up to `size`: the updater accepts only programs.
std::string ProgramBytes(size_t size, unsigned seed) {
  std::string bytes;
  ReadWholeFile(test::BinDirectory() + "\\updater_standin_player.exe", bytes);
  if (bytes.size() < size) bytes += RandomBytes(size - bytes.size(), seed);
  return bytes;
}

// A file the demo server hands out under `route`, written beside the tests (the server needs its Unix path).
void Serve(const std::string& route, const std::string& name, const std::string& bytes) {
  ASSERT_TRUE(WriteWholeFile(test::BinDirectory() + "\\" + name, bytes));
  std::string unixDir = getenv("TRRADIO_BIN_DIR") ? getenv("TRRADIO_BIN_DIR") : "";
  ASSERT_EQ(ServerControl("/__control/file?path=" + PercentEncode(route) + "&file=" + PercentEncode(unixDir + "/" + name)),
            "ok");
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class DownloaderTest : public testing::Test {
 protected:
  void SetUp() override {
    ServerReset();
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_events.clear();
    g_badArguments = 0;
    destination_ = dir_.File("trRadio.exe");
    ASSERT_TRUE(WriteWholeFile(destination_, "the installed player"));
  }
  void TearDown() override { ServerReset(); }
  DownloadRequest Request(const std::string& source) {
    source_ = source;
    DownloadRequest request;
    request.source = source_.c_str();
    request.destination = destination_.c_str();
    request.onEvent = RecordEvent;
    request.connectAttempts = 1;
    request.receiveTimeoutMs = 10000;
    return request;
  }
  std::string Contents(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return bytes;
  }
  test::ScopedTempDir dir_;
  std::string destination_;
  std::string source_;
};

TEST_F(DownloaderTest, HttpDownloadReportsSizeThenCompletion) {
  std::string body = ProgramBytes(1536 * 1024 + 7, 1);
  Serve("/files/new.exe", "updater_served_new.exe", body);
  Downloader download;
  EXPECT_EQ(download.BytesReceived(), 0);
  EXPECT_EQ(download.Speed(), 0);
  ASSERT_TRUE(download.Start(Request("  " + TestServerUrl() + "/files/new.exe  ")));  // blanks are trimmed
  EXPECT_FALSE(download.Start(Request(TestServerUrl() + "/files/new.exe")));          // one transfer per object
  ASSERT_TRUE(WaitForEnd(20000));
  auto events = Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].code, kDownloadSizeKnown);
  EXPECT_EQ(events[0].value, static_cast<int32_t>(body.size()));
  EXPECT_EQ(events[1].code, kDownloadFinished);
  EXPECT_NE(events[0].thread, GetCurrentThreadId());  // reported from the worker
  EXPECT_EQ(g_badArguments, 0);
  EXPECT_EQ(download.BytesReceived(), static_cast<int64_t>(body.size()));
  EXPECT_TRUE(Contents(destination_) == body);
  EXPECT_FALSE(FileExists(destination_ + ".part"));
}

TEST_F(DownloaderTest, FailedTransfersNeverReplaceTheInstalledFile) {
  struct Case {
    const char* what;
    std::string route;
    const char* fault;
  } cases[] = {
      {"connection cut halfway", "/files/cut.exe", "cut"},
      {"server error", "/files/error.exe", "error"},
      {"missing file", "/files/absent.exe", nullptr},
      {"connection refused", "", nullptr},
      // Headers trickled for 60 s: given up at the open limit, whatever the server does.
      {"headers trickled past the open limit", "/files/trickle.exe", "trickle"},
  };
  std::string body = ProgramBytes(400 * 1024, 2);
  Serve("/files/cut.exe", "updater_served_cut.exe", body);
  Serve("/files/error.exe", "updater_served_error.exe", body);
  for (const Case& c : cases) {
    {
      std::lock_guard<std::mutex> lock(g_eventLock);
      g_events.clear();
    }
    if (c.fault) ServerSetFault(c.route, c.fault);
    std::string source = c.route.empty() ? "http://127.0.0.1:1/refused.exe" : TestServerUrl() + c.route;
    Downloader download;
    const DWORD began = GetTickCount();
    ASSERT_TRUE(download.Start(Request(source)));
    ASSERT_TRUE(WaitForEnd(20000)) << c.what;
    EXPECT_LT(GetTickCount() - began, kDownloadOpenLimitMs + 1000) << c.what;
    const DWORD releasing = GetTickCount();
    download.Release();
    EXPECT_LT(GetTickCount() - releasing, 100u) << c.what << ": nothing to wait for";
    EXPECT_TRUE(HasCode(kDownloadFailed)) << c.what;
    EXPECT_FALSE(HasCode(kDownloadFinished)) << c.what;
    if (c.fault && std::string(c.fault) == "trickle") {
      EXPECT_EQ(Events().back().value, static_cast<int32_t>(ERROR_INTERNET_TIMEOUT));
    }
    EXPECT_EQ(Contents(destination_), "the installed player") << c.what;
    EXPECT_FALSE(FileExists(destination_ + ".part")) << c.what;
  }
  // The cut transfer announced the whole size first, then delivered half of it.
  // (checked on a fresh run, so the events belong to it)
  {
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_events.clear();
  }
  ServerSetFault("/files/cut.exe", "cut");
  Downloader download;
  ASSERT_TRUE(download.Start(Request(TestServerUrl() + "/files/cut.exe")));
  ASSERT_TRUE(WaitForEnd(20000));
  auto events = Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0].code, kDownloadSizeKnown);
  EXPECT_EQ(events[0].value, static_cast<int32_t>(body.size()));
  EXPECT_LE(download.BytesReceived(), static_cast<int64_t>(body.size() / 2));
}

TEST_F(DownloaderTest, SpeedAndBytesReceivedFollowAThrottledTransfer) {
  std::string body = ProgramBytes(1200 * 1024, 3);
  Serve("/files/slow.exe", "updater_served_slow.exe", body);
  ServerControl("/__control/rate?bytes=409600");
  Downloader download;
  ASSERT_TRUE(download.Start(Request(TestServerUrl() + "/files/slow.exe")));
  Sleep(1500);
  int64_t speed = download.Speed();
  int64_t received = download.BytesReceived();
  int64_t onDisk = FileSize(destination_ + ".part");
  EXPECT_GT(speed, 409600 / 2);
  EXPECT_LT(speed, 409600 * 3 / 2);
  EXPECT_GT(received, 409600 / 2);
  EXPECT_LT(received, static_cast<int64_t>(body.size()));
  // The count is taken after each write, so the disk is never behind it.
  EXPECT_GE(onDisk, received);
  // Nobody else may change the bytes that will be checked and installed: no writer, no file put in its place.
  ScopedHandle writer(CreateFileA((destination_ + ".part").c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(writer) << "the partial file is open for writing elsewhere";
  ASSERT_TRUE(WriteWholeFile(dir_.File("impostor.exe"), "not the download"));
  EXPECT_FALSE(MoveFileExA(dir_.File("impostor.exe").c_str(), (destination_ + ".part").c_str(),
                           MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(HasCode(kDownloadFinished));
  ASSERT_TRUE(WaitForEnd(20000));
  EXPECT_TRUE(HasCode(kDownloadFinished));
  EXPECT_TRUE(Contents(destination_) == body);
  Sleep(1200);
  EXPECT_EQ(download.Speed(), 0);  // nothing arrived during the last window
}

TEST_F(DownloaderTest, ReleaseStopsRunningAndHangingTransfers) {
  std::string body = ProgramBytes(2 * 1024 * 1024, 4);
  Serve("/files/long.exe", "updater_served_long.exe", body);
  ServerControl("/__control/rate?bytes=204800");
  for (const char* fault : {"normal", "hang"}) {
    ServerSetFault("/files/long.exe", fault);
    {
      std::lock_guard<std::mutex> lock(g_eventLock);
      g_events.clear();
    }
    Downloader download;
    DownloadRequest request = Request(TestServerUrl() + "/files/long.exe");
    request.receiveTimeoutMs = 1500;
    ASSERT_TRUE(download.Start(request));
    Sleep(1000);
    auto start = std::chrono::steady_clock::now();
    download.Release();
    auto took = std::chrono::steady_clock::now() - start;
    // A flowing transfer stops after its current block; one still waiting for its headers is not waited for.
    EXPECT_LT(took, std::chrono::milliseconds(fault == std::string("hang") ? 200 : 1000)) << fault;
    size_t eventsAtRelease = Events().size();
    Sleep(300);
    EXPECT_EQ(Events().size(), eventsAtRelease) << fault;  // nothing reported once released
    EXPECT_FALSE(HasCode(kDownloadFinished)) << fault;
    EXPECT_EQ(Contents(destination_), "the installed player") << fault;
    EXPECT_FALSE(FileExists(destination_ + ".part")) << fault;  // the handle is closed, so it could be removed
  }
}

TEST_F(DownloaderTest, FtpDownload) {
  char url[256], root[1024];
  DWORD urlLength = GetEnvironmentVariableA("TRRADIO_TEST_FTP", url, sizeof(url));
  DWORD rootLength = GetEnvironmentVariableA("TRRADIO_TEST_FTP_ROOT", root, sizeof(root));
  ASSERT_TRUE(urlLength && rootLength);
  std::string expected;
  std::string rootPath(root, rootLength);
  std::string windowsRoot = "Z:" + rootPath;
  for (char& c : windowsRoot)
    if (c == '/') c = '\\';
  if (!ReadWholeFile(windowsRoot + "\\player.exe", expected)) GTEST_SKIP() << "the FTP server did not start";
  Downloader download;
  ASSERT_TRUE(download.Start(Request(std::string(url, urlLength) + "/player.exe")));
  ASSERT_TRUE(WaitForEnd(20000));
  auto events = Events();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].code, kDownloadSizeKnown);
  EXPECT_EQ(events[0].value, static_cast<int32_t>(expected.size()));
  EXPECT_EQ(events[1].code, kDownloadFinished);
  EXPECT_TRUE(Contents(destination_) == expected);

  // A missing file fails and leaves the installed one.
  {
    std::lock_guard<std::mutex> lock(g_eventLock);
    g_events.clear();
  }
  ASSERT_TRUE(WriteWholeFile(destination_, "the installed player"));
  Downloader missing;
  ASSERT_TRUE(missing.Start(Request(std::string(url, urlLength) + "/absent.exe")));
  ASSERT_TRUE(WaitForEnd(20000));
  EXPECT_TRUE(HasCode(kDownloadFailed));
  EXPECT_FALSE(HasCode(kDownloadFinished));
  EXPECT_EQ(Contents(destination_), "the installed player");
}

TEST(DownloadRequest, DefaultsAndFileTypes) {
  DownloadRequest request;
  EXPECT_EQ(request.field1, 1);
  EXPECT_STREQ(request.userName, "anonymous");
  EXPECT_NE(std::string(request.password).find('@'), std::string::npos);
  EXPECT_EQ(request.connectAttempts, 1);
  EXPECT_EQ(request.connectTimeoutMs, 20000);
  EXPECT_EQ(request.receiveTimeoutMs, 20000);
  EXPECT_EQ(request.speedWindowMs, 1000);
  EXPECT_EQ(request.field12, 20480);
  EXPECT_EQ(request.field13, 1024);
  EXPECT_EQ(request.field17, 1);
  EXPECT_STREQ(request.fileTypes, ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm");
  struct Case {
    const char* name;
    bool allowed;
  } cases[] = {{"C:\\a\\trRadio.exe", true}, {"x.EXE", true}, {"song.mp3", true}, {"a.rm", true},
               {"a.rmx", false},             {"a.txt", false}, {"exe", false},   {"", false}};
  for (const Case& c : cases) EXPECT_EQ(FileTypeAllowed(c.name, request.fileTypes), c.allowed) << c.name;
  EXPECT_TRUE(FileTypeAllowed("a.txt", ""));
}

}  // namespace
}  // namespace trr
