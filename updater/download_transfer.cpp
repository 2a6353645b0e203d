#include "updater/download_transfer.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "common/exception_boundary.h"
#include "common/file_util.h"
#include "common/gbk_text.h"
#include "common/http_client.h"
#include "updater/block_writer.h"
#include "updater/downloader.h"
#include "updater/executable_check.h"

namespace trr {
namespace {

// Large reads keep the per-call cost of the platform low; four blocks let the network run ahead of the disk.
constexpr DWORD kReadBlock = 1024 * 1024;
constexpr int kWriteBlocks = 4;
constexpr DWORD kMinRead = 16 * 1024;
constexpr DWORD kStartRead = 64 * 1024;
constexpr DWORD kQuickReadMs = 20;
constexpr DWORD kSlowReadMs = 150;
constexpr DWORD kRetryPauseMs = 500;
// No file of ours comes near this; a server that sends more is not sending the file we asked for.
constexpr int64_t kMaxDownloadBytes = 512ll * 1024 * 1024;
// A destination still open in another process (the player that is still closing) refuses the rename for a
// while; it is tried again at this pace up to this long before the transfer counts as failed.
constexpr DWORD kReplacePauseMs = 250;
constexpr DWORD kReplaceWaitMs = 10000;

bool HasKnownScheme(const std::string& address) {
  for (const char* scheme : {"http://", "https://", "ftp://"})
    if (FindIgnoringAsciiCase(address, scheme) == 0) return true;
  return false;
}

// Refusals that go away once another process closes the file.
bool RefusedWhileOpen(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// The open source of a transfer: one HTTP GET, or one FTP file with its session and connection. The members
// close in reverse order, children first.
struct OpenSource {
  OpenedGet http;
  ScopedInternetHandle ftpSession;
  ScopedInternetHandle ftpConnection;
  ScopedInternetHandle ftpFile;
  int64_t size = -1;  // -1: not announced
  HINTERNET file() const { return http.request ? http.request.get() : ftpFile.get(); }
};

// The temporary file "<destination>.part", open with delete access for the whole transfer: written, flushed,
// checked and renamed over the destination through this one handle, so the bytes installed are the bytes
// checked. Deleted through the same handle when the transfer does not install it.
class PartialFile {
 public:
  explicit PartialFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
  ~PartialFile() {
    if (handle_ && !installed_) DeleteOpenFile(handle_.get());
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  explicit operator bool() const { return static_cast<bool>(handle_); }
  HANDLE get() const { return handle_.get(); }
  void Installed() { installed_ = true; }

 private:
  ScopedHandle handle_;
  bool installed_ = false;
};

HttpTimeouts TimeoutsOf(const DownloadRequest& request) {
  auto positive = [](int32_t ms) { return ms > 0 ? static_cast<DWORD>(ms) : 0; };
  HttpTimeouts timeouts;
  timeouts.connectMs = positive(request.connectTimeoutMs);
  timeouts.sendMs = positive(request.sendTimeoutMs);
  timeouts.receiveMs = positive(request.receiveTimeoutMs);
  return timeouts;
}

bool OpenFtp(const DownloadState& state, const UrlParts& url, OpenSource& source, DWORD& error) {
  if (url.object == "/") {
    error = ERROR_INTERNET_INVALID_URL;
    return false;
  }
  const HttpTimeouts timeouts = TimeoutsOf(state.request);
  source.ftpSession.reset(InternetOpenA(kUpdaterAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!source.ftpSession) {
    error = GetLastError();
    return false;
  }
  ApplyTimeouts(source.ftpSession.get(), timeouts);
  // Credentials in the address win over the request's user name and password.
  const char* userName = !url.user.empty() ? url.user.c_str() : state.userName.c_str();
  const char* password = !url.user.empty() ? url.password.c_str() : state.password.c_str();
  source.ftpConnection.reset(InternetConnectA(source.ftpSession.get(), url.host.c_str(), url.port, userName,
                                              password, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0));
  if (!source.ftpConnection) {
    error = GetLastError();
    return false;
  }
  ApplyTimeouts(source.ftpConnection.get(), timeouts);
  // The size comes from the directory listing: FtpGetFileSize is not answered by every implementation of the
  // platform. The listing must be closed before the file is opened on the same session.
  WIN32_FIND_DATAA found;
  ScopedInternetHandle listing(
      FtpFindFirstFileA(source.ftpConnection.get(), url.object.c_str(), &found, INTERNET_FLAG_RELOAD, 0));
  if (listing && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    source.size = (int64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  listing.reset();
  source.ftpFile.reset(FtpOpenFileA(source.ftpConnection.get(), url.object.c_str(), GENERIC_READ,
                                    FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0));
  if (!source.ftpFile) {
    error = GetLastError();
    return false;
  }
  return true;
}

bool OpenHttp(const DownloadState& state, const UrlParts& url, OpenSource& source, DWORD& error) {
  if (!OpenHttpGet(url, kUpdaterAgent, TimeoutsOf(state.request), source.http, error)) return false;
  source.size = source.http.length;
  return true;
}

// The open phase: up to the request's number of attempts, a pause between them. False with `error` when no
// attempt succeeded or the download was stopped.
bool Open(const DownloadState& state, OpenSource& source, DWORD& error) {
  UrlParts url;
  if (!SplitUrl(state.source, url)) {
    error = ERROR_INTERNET_INVALID_URL;
    return false;
  }
  const bool ftp = url.scheme == INTERNET_SCHEME_FTP;
  const int attempts = state.request.connectAttempts > 0 ? state.request.connectAttempts : 1;
  for (int attempt = 0; attempt < attempts && !state.Stopping(); ++attempt) {
    if (attempt > 0 && WaitForSingleObject(state.StopEvent(), kRetryPauseMs) == WAIT_OBJECT_0) break;
    source = OpenSource();  // the last attempt's handles, children first
    if (ftp ? OpenFtp(state, url, source, error) : OpenHttp(state, url, source, error)) return true;
  }
  return false;
}

// Renames the checked file over the destination through its handle, waiting while the old player keeps the
// destination open. The new bytes were flushed before; the rename itself is one change of the directory, which
// the file system writes out in its own time (a journalling one applies it whole or not at all), so after a
// power cut the destination names the old file or the whole new one, never a part. (MOVEFILE_WRITE_THROUGH
// would not add more: it only waits for a move that is made as a copy, across volumes.)
bool Install(DownloadState& state, PartialFile& partial, DWORD& error) {
  DWORD start = GetTickCount();
  for (;;) {
    if (RenameOpenFile(partial.get(), state.destination)) return true;
    error = GetLastError();
    if (!RefusedWhileOpen(error) || GetTickCount() - start >= kReplaceWaitMs) return false;
    if (WaitForSingleObject(state.StopEvent(), kReplacePauseMs) == WAIT_OBJECT_0) return false;
  }
}

// Receives the body into `partial`; true when the whole file arrived.
bool Receive(DownloadState& state, HINTERNET file, int64_t size, PartialFile& partial, DWORD& error) {
  bool complete = false;
  int64_t received = 0;  // from the network; the state counts what is on disk
  DWORD want = kStartRead;
  BlockWriter writer(partial.get(), kReadBlock, kWriteBlocks,
                     [&state](int64_t onDisk) { state.AddReceived(onDisk); });
  bool readFailed = false;
  while (!state.Stopping()) {
    std::vector<char> block = writer.Take();
    if (block.empty()) break;  // a write failed
    // A read returns only once its whole length has arrived (or the body ends). The length follows the link:
    // it doubles while reads come back at once and halves when one takes long, so a fast link gets large
    // reads and a slow one small reads that keep progress and a stop prompt.
    DWORD got = 0;
    DWORD began = GetTickCount();
    if (!InternetReadFile(file, block.data(), want, &got)) {
      error = GetLastError();
      readFailed = true;
      break;
    }
    DWORD took = GetTickCount() - began;
    if (took < kQuickReadMs && want < kReadBlock) want *= 2;
    if (took > kSlowReadMs && want > kMinRead) want /= 2;
    if (got == 0) {
      // A clean end. An announced size must have arrived exactly; without one, the file check decides.
      complete = size < 0 || received == size;
      if (!complete) error = ERROR_HANDLE_EOF;
      break;
    }
    received += got;
    writer.Submit(std::move(block), got);
    if ((size >= 0 && received > size) || received > kMaxDownloadBytes) {
      error = ERROR_FILE_TOO_LARGE;  // more than announced or than any file of ours: not the file we wanted
      complete = false;
      break;
    }
  }
  DWORD writeError = 0;
  if (!writer.Finish(writeError)) {
    complete = false;
    if (!readFailed) error = writeError;
  }
  return complete;
}

// The whole transfer; false with `error` on failure, or when the watch gave it up or the download was stopped.
bool Transfer(DownloadState& state, DWORD& error) {
  if (!HasKnownScheme(state.source)) {
    error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    return false;
  }
  if (state.destination.empty() || !FileTypeAllowed(state.destination, state.fileTypes)) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  OpenSource source;
  if (!Open(state, source, error)) return false;
  // From here on the transfer is this thread's, unless the watch gave it up at the open limit first: then it
  // touches no file and reports nothing.
  if (!state.ClaimOpened() || state.Stopping()) return false;
  if (source.size > kMaxDownloadBytes) {
    error = ERROR_FILE_TOO_LARGE;
    return false;
  }
  if (source.size >= 0)
    state.Report(kDownloadSizeKnown, source.size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(source.size));

  PartialFile partial(state.destination + ".part");
  if (!partial) {
    error = GetLastError();
    return false;
  }
  if (!Receive(state, source.file(), source.size, partial, error) || state.Stopping()) return false;
  // On disk before it replaces anything, so that a power cut cannot leave an empty file under the real name.
  if (!FlushFileBuffers(partial.get())) {
    error = GetLastError();
    return false;
  }
  if (FileTypeAllowed(state.destination, ".exe") && !IsWholeWindowsProgram(partial.get())) {
    error = ERROR_BAD_EXE_FORMAT;
    return false;
  }
  if (!Install(state, partial, error)) return false;
  partial.Installed();
  return true;
}

}  // namespace

void RunTransfer(const std::shared_ptr<DownloadState>& state) {
  DWORD error = 0;
  bool done = false;
  try {
    done = Transfer(*state, error);
  } catch (...) {
    // Out of memory for a block: the transfer fails like any other, and the thread ends normally.
    done = false;
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  // Every handle and the partial file are closed by now.
  CatchAll([&] {
    if (state->ClaimEnd()) state->Report(done ? kDownloadFinished : kDownloadFailed, static_cast<int32_t>(error));
  });
  state->MarkTransferDone();
}

}  // namespace trr
