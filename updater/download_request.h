// The request record handed to the download component: 20 fields, texts held by reference (the caller keeps the
// texts alive while the download starts; the component copies them). In the 32-bit build every field is 32 bits;
// the 64-bit build has the natural layout with pointer-sized texts and handler.
#pragma once
#include <cstdint>

namespace trr {

// Download-event handler: event code first, a value third; the other arguments are 0. Returns 0.
using DownloadEventHandler = int(__stdcall*)(int32_t code, int32_t unused1, int32_t value, int32_t unused2,
                                             int32_t unused3);

// Event codes the component reports.
enum DownloadEvent : int32_t {
  kDownloadSizeKnown = 3,  // value: total size in bytes (clamped to 0x7FFFFFFF)
  kDownloadFinished = 4,   // the whole file is in place under the destination name
  // value: the Win32 or WinINet error code; ERROR_HANDLE_EOF when less than the announced size arrived,
  // ERROR_FILE_TOO_LARGE for more, ERROR_BAD_EXE_FORMAT when a ".exe" is not a whole Windows program, and
  // ERROR_ACCESS_DENIED when the destination stayed in use past the wait.
  kDownloadFailed = 5,
};

constexpr const char kDefaultFileTypes[] = ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm";

// Fields the component uses: 2, 3, 4, 5, 6 (connection attempts), 8 (connect timeout, ms), 9 (send timeout,
// ms), 10 (receive timeout, ms), 11 (speed window, ms), 15, 18 (allowed destination file types). The others are
// carried unchanged for the request's layout and have no effect.
struct DownloadRequest {
  int32_t field1 = 1;
  const char* source = "";                // 2: HTTP or FTP address
  const char* destination = "";           // 3: destination file
  const char* userName = "anonymous";     // 4
  const char* password = "trradio@tiroradio.com";  // 5: anonymous password in e-mail form
  int32_t connectAttempts = 1;            // 6
  int32_t field7 = 0;
  int32_t connectTimeoutMs = 20000;       // 8
  int32_t sendTimeoutMs = 20000;          // 9
  int32_t receiveTimeoutMs = 20000;       // 10
  int32_t speedWindowMs = 1000;           // 11
  int32_t field12 = 20480;
  int32_t field13 = 1024;
  int32_t field14 = 0;
  DownloadEventHandler onEvent = nullptr;  // 15
  const char* field16 = "";
  int32_t field17 = 1;
  const char* fileTypes = kDefaultFileTypes;  // 18
  int32_t field19 = 0;
  int32_t field20 = 0;
};
#if !defined(_WIN64)
static_assert(sizeof(DownloadRequest) == 20 * 4, "the request is 20 fields of 32 bits");
#endif

}  // namespace trr
