#include "updater/downloader.h"

#include <wininet.h>

#include <cstdlib>
#include <vector>

#include "common/gbk_text.h"
#include "updater/block_writer.h"
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

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  return FindIgnoringAsciiCase(text, prefix) == 0;
}

// Refusals that go away once another process closes the file.
bool RefusedWhileOpen(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Removes the temporary file when the transfer leaves without installing it, whichever way it leaves.
class PartialFile {
 public:
  explicit PartialFile(std::string path) : path_(std::move(path)) {}
  ~PartialFile() {
    if (!installed_) DeleteFileA(path_.c_str());
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  const std::string& path() const { return path_; }
  void Installed() { installed_ = true; }

 private:
  std::string path_;
  bool installed_ = false;
};

}  // namespace

bool FileTypeAllowed(const std::string& fileName, const std::string& types) {
  if (types.empty()) return true;
  for (const std::string& type : SplitText(types, "|")) {
    if (type.empty() || type.size() > fileName.size()) continue;
    if (FindIgnoringAsciiCase(fileName, type, fileName.size() - type.size()) == fileName.size() - type.size())
      return true;
  }
  return false;
}

Downloader::Downloader() : stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Downloader::~Downloader() { Release(); }

bool Downloader::Start(const DownloadRequest& request) {
  if (worker_.joinable() || stopping_) return false;
  request_ = request;
  source_ = TrimText(request.source ? request.source : "");
  destination_ = request.destination ? request.destination : "";
  userName_ = request.userName ? request.userName : "";
  password_ = request.password ? request.password : "";
  fileTypes_ = request.fileTypes ? request.fileTypes : "";
  speedWindowMs_ = request.speedWindowMs > 0 ? static_cast<DWORD>(request.speedWindowMs) : 1000;
  // The copies above outlive the caller's texts; the record keeps only numbers and the handler.
  request_.source = request_.destination = request_.userName = request_.password = request_.fileTypes = nullptr;
  try {
    worker_ = std::thread(&Downloader::Run, this);
  } catch (...) {
    return false;
  }
  return true;
}

int64_t Downloader::Speed() const {
  std::lock_guard<std::mutex> lock(sampleLock_);
  if (sampleCount_ == 0) return 0;
  DWORD now = GetTickCount();
  int64_t bytesNow = received_.load();
  // The newest sample at least one window old, or the oldest kept when the transfer is younger than a window.
  const Sample* base = nullptr;
  for (int i = 1; i <= sampleCount_; ++i) {
    const Sample& s = samples_[(sampleNext_ - i + kSamples) % kSamples];
    base = &s;
    if (now - s.tick >= speedWindowMs_) break;
  }
  DWORD elapsed = now - base->tick;
  if (elapsed == 0) return 0;
  return (bytesNow - base->bytes) * 1000 / static_cast<int64_t>(elapsed);
}

void Downloader::AddSample(int64_t bytes) {
  std::lock_guard<std::mutex> lock(sampleLock_);
  DWORD now = GetTickCount();
  // One sample per sixteenth of a window keeps 64 slots covering four windows.
  // Within that time the newest sample only takes the new count, so the last one always holds the total.
  if (sampleCount_ > 0) {
    Sample& last = samples_[(sampleNext_ - 1 + kSamples) % kSamples];
    if (now - last.tick < speedWindowMs_ / 16) {
      last.bytes = bytes;
      return;
    }
  }
  samples_[sampleNext_] = {now, bytes};
  sampleNext_ = (sampleNext_ + 1) % kSamples;
  if (sampleCount_ < kSamples) ++sampleCount_;
}

void Downloader::Report(int32_t code, int32_t value) {
  if (stopping_ || !request_.onEvent) return;
  request_.onEvent(code, 0, value, 0, 0);
}

void Downloader::CloseConnection() {
  std::lock_guard<std::mutex> lock(connectionLock_);
  for (HINTERNET* handle : {&file_, &connection_, &session_}) {
    if (*handle) InternetCloseHandle(*handle);
    *handle = nullptr;
  }
}

void Downloader::Release() {
  stopping_ = true;
  if (stopEvent_) SetEvent(stopEvent_.get());
  // Closing the handles makes a read that is waiting on the network return at once.
  CloseConnection();
  if (worker_.joinable()) worker_.join();
}

void Downloader::Run() {
  DWORD error = 0;
  bool done = false;
  try {
    AddSample(0);
    done = Transfer(error);
  } catch (...) {
    // Out of memory for a block: the transfer fails like any other, and the thread ends normally.
    done = false;
    error = ERROR_NOT_ENOUGH_MEMORY;
  }
  CloseConnection();
  if (done)
    Report(kDownloadFinished, 0);
  else
    Report(kDownloadFailed, static_cast<int32_t>(error));
}

// Splits an address into host, port, path and credentials; false when it cannot be parsed.
static bool CrackAddress(const std::string& address, std::string& host, INTERNET_PORT& port, std::string& path,
                  std::string& user, std::string& password, bool& secure) {
  char hostBuffer[256] = {}, pathBuffer[2048] = {}, extraBuffer[1024] = {}, userBuffer[128] = {},
       passwordBuffer[128] = {};
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.lpszHostName = hostBuffer;
  parts.dwHostNameLength = sizeof(hostBuffer);
  parts.lpszUrlPath = pathBuffer;
  parts.dwUrlPathLength = sizeof(pathBuffer);
  parts.lpszExtraInfo = extraBuffer;
  parts.dwExtraInfoLength = sizeof(extraBuffer);
  parts.lpszUserName = userBuffer;
  parts.dwUserNameLength = sizeof(userBuffer);
  parts.lpszPassword = passwordBuffer;
  parts.dwPasswordLength = sizeof(passwordBuffer);
  if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts) || !hostBuffer[0]) return false;
  host = hostBuffer;
  port = parts.nPort;
  path = std::string(pathBuffer[0] ? pathBuffer : "/") + extraBuffer;
  user = userBuffer;
  password = passwordBuffer;
  secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

// Keeps a handle where Release can close it; false (and the handle closed) when Release has begun.
bool Downloader::Keep(HINTERNET handle, HINTERNET& slot) {
  std::lock_guard<std::mutex> lock(connectionLock_);
  if (stopping_) {
    InternetCloseHandle(handle);
    return false;
  }
  slot = handle;
  return true;
}

bool Downloader::OpenHttp(HINTERNET session, int64_t& size, DWORD& error) {
  std::string host, path, user, password;
  INTERNET_PORT port = 0;
  bool secure = false;
  if (!CrackAddress(source_, host, port, path, user, password, secure)) {
    error = ERROR_INTERNET_INVALID_URL;
    return false;
  }
  HINTERNET connection = InternetConnectA(session, host.c_str(), port, user.empty() ? nullptr : user.c_str(),
                                          user.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, 0);
  if (!connection) {
    error = GetLastError();
    return false;
  }
  if (!Keep(connection, connection_)) return false;
  DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | (secure ? INTERNET_FLAG_SECURE : 0);
  HINTERNET file = HttpOpenRequestA(connection, "GET", path.c_str(), nullptr, nullptr, nullptr, flags, 0);
  if (!file) {
    error = GetLastError();
    return false;
  }
  if (!Keep(file, file_)) return false;
  // Set on the request itself: the waits for the reply and for each block of the body are bounded by it, and
  // so is the time Release may have to wait for a server that stopped answering.
  SetTimeouts(file);
  if (!HttpSendRequestA(file, nullptr, 0, nullptr, 0)) {
    error = GetLastError();
    return false;
  }
  DWORD status = 0, length = sizeof(status);
  if (!HttpQueryInfoA(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr) ||
      status < 200 || status > 299) {
    error = status ? status : GetLastError();
    return false;
  }
  char text[32];
  length = sizeof(text);
  if (HttpQueryInfoA(file, HTTP_QUERY_CONTENT_LENGTH, text, &length, nullptr)) {
    std::string digits(text, length);
    size = digits.find_first_not_of("0123456789") == std::string::npos && !digits.empty()
               ? std::strtoll(digits.c_str(), nullptr, 10)
               : -1;
  }
  return true;
}

void Downloader::SetTimeouts(HINTERNET handle) {
  DWORD timeouts[][2] = {{INTERNET_OPTION_CONNECT_TIMEOUT, DWORD(request_.connectTimeoutMs)},
                         {INTERNET_OPTION_SEND_TIMEOUT, DWORD(request_.sendTimeoutMs)},
                         {INTERNET_OPTION_RECEIVE_TIMEOUT, DWORD(request_.receiveTimeoutMs)}};
  for (auto& option : timeouts)
    if (int32_t(option[1]) > 0) InternetSetOptionA(handle, option[0], &option[1], sizeof(option[1]));
}

bool Downloader::OpenFtp(HINTERNET session, int64_t& size, DWORD& error) {
  std::string host, path, user, pass;
  INTERNET_PORT port = 0;
  bool secure = false;
  if (!CrackAddress(source_, host, port, path, user, pass, secure) || path == "/") {
    error = GetLastError() ? GetLastError() : ERROR_INTERNET_INVALID_URL;
    return false;
  }
  // Credentials in the address win over the request's user name and password.
  const char* userName = !user.empty() ? user.c_str() : userName_.c_str();
  const char* password = !user.empty() ? pass.c_str() : password_.c_str();
  HINTERNET connection = InternetConnectA(session, host.c_str(), port, userName, password, INTERNET_SERVICE_FTP,
                                          INTERNET_FLAG_PASSIVE, 0);
  if (!connection) {
    error = GetLastError();
    return false;
  }
  if (!Keep(connection, connection_)) return false;
  SetTimeouts(connection);
  // The size comes from the directory listing: FtpGetFileSize is not answered by every implementation of the
  // platform. The listing must be closed before the file is opened on the same session.
  size = -1;
  WIN32_FIND_DATAA found;
  if (HINTERNET listing = FtpFindFirstFileA(connection, path.c_str(), &found, INTERNET_FLAG_RELOAD, 0)) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      size = (int64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    InternetCloseHandle(listing);
  }
  HINTERNET file = FtpOpenFileA(connection, path.c_str(), GENERIC_READ, FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0);
  if (!file) {
    error = GetLastError();
    return false;
  }
  if (!Keep(file, file_)) return false;
  return true;
}

bool Downloader::Transfer(DWORD& error) {
  bool ftp = StartsWithNoCase(source_, "ftp://");
  if (!ftp && !StartsWithNoCase(source_, "http://") && !StartsWithNoCase(source_, "https://")) {
    error = ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    return false;
  }
  if (destination_.empty() || !FileTypeAllowed(destination_, fileTypes_)) {
    error = ERROR_INVALID_NAME;
    return false;
  }
  int attempts = request_.connectAttempts > 0 ? request_.connectAttempts : 1;
  int64_t size = -1;
  bool open = false;
  for (int attempt = 0; attempt < attempts && !open && !stopping_; ++attempt) {
    if (attempt > 0 && WaitForSingleObject(stopEvent_.get(), kRetryPauseMs) == WAIT_OBJECT_0) break;
    CloseConnection();
    HINTERNET session = InternetOpenA("TiroRadio Updater", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) {
      error = GetLastError();
      continue;
    }
    if (!Keep(session, session_)) return false;
    SetTimeouts(session);
    open = ftp ? OpenFtp(session, size, error) : OpenHttp(session, size, error);
  }
  if (!open || stopping_) return false;
  if (size > kMaxDownloadBytes) {
    error = ERROR_FILE_TOO_LARGE;
    return false;
  }
  if (size >= 0) Report(kDownloadSizeKnown, size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(size));

  PartialFile partial(destination_ + ".part");
  // Read access too: the finished file is checked through the same handle before it is closed.
  ScopedHandle out(CreateFileA(partial.path().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!out) {
    error = GetLastError();
    return false;
  }
  bool complete = false;
  int64_t received = 0;  // from the network; received_ counts what is on disk
  HINTERNET file = file_;
  DWORD want = kStartRead;
  {
    BlockWriter writer(out.get(), kReadBlock, kWriteBlocks, [this](int64_t onDisk) {
      received_.store(onDisk);
      AddSample(onDisk);
    });
    bool readFailed = false;
    while (!stopping_) {
      std::vector<char> block = writer.Take();
      if (block.empty()) break;  // a write failed
      // A read returns only once its whole length has arrived (or the body ends). The length follows the link:
      // it doubles while reads come back at once and halves when one takes long, so a fast link gets large
      // reads and a slow one small reads that keep progress and Release prompt.
      DWORD got = 0;
      DWORD began = GetTickCount();
      bool read = InternetReadFile(file, block.data(), want, &got) != FALSE;
      if (!read) {
        error = GetLastError();
        readFailed = true;
        break;
      }
      DWORD took = GetTickCount() - began;
      if (took < kQuickReadMs && want < kReadBlock) want *= 2;
      if (took > kSlowReadMs && want > kMinRead) want /= 2;
      if (got == 0) {
        // A clean end. An announced size must have arrived exactly; without one, the file check below decides.
        complete = size < 0 || received == size;
        if (!complete) error = ERROR_HANDLE_EOF;
        break;
      }
      received += got;
      writer.Submit(std::move(block), got);
      if ((size >= 0 && received > size) || received > kMaxDownloadBytes) {
        error = ERROR_FILE_TOO_LARGE;  // more than announced or than any file of ours: not the file we wanted
        break;
      }
    }
    DWORD writeError = 0;
    if (!writer.Finish(writeError)) {
      complete = false;
      if (!readFailed) error = writeError;
    }
  }
  if (!complete || stopping_) return false;
  // On disk before it replaces anything, so that a power cut cannot leave an empty file under the real name.
  if (!FlushFileBuffers(out.get())) {
    error = GetLastError();
    return false;
  }
  if (FileTypeAllowed(destination_, ".exe") && !IsWholeWindowsProgram(out.get())) {
    error = ERROR_BAD_EXE_FORMAT;
    return false;
  }
  out.reset();
  if (!Replace(partial.path(), error)) return false;
  partial.Installed();
  return true;
}

bool Downloader::Replace(const std::string& partial, DWORD& error) {
  DWORD start = GetTickCount();
  for (;;) {
    // One rename, not a copy, and written through, so the directory entry is on disk when it reports success.
    if (MoveFileExA(partial.c_str(), destination_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    error = GetLastError();
    if (!RefusedWhileOpen(error) || GetTickCount() - start >= kReplaceWaitMs) return false;
    if (WaitForSingleObject(stopEvent_.get(), kReplacePauseMs) == WAIT_OBJECT_0) return false;
  }
}

}  // namespace trr
