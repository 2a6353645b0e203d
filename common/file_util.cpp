#include "common/file_util.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "common/scoped_win.h"

namespace trr {

std::string ModuleDirectory() {
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  if (n == 0 || n >= sizeof(path)) return {};
  std::string full(path, n);
  size_t slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

std::string CurrentDirectory() {
  char path[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryA(sizeof(path), path);
  if (n == 0 || n >= sizeof(path)) return {};
  std::string dir(path, n);
  // A drive root comes back as "C:\"; the callers append "\name" themselves.
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes) {
  bytes.clear();
  // Sharing every access: a file being written, renamed or removed by its owner (a transfer's partial file,
  // held open with delete access) can still be read.
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return false;
  try {
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (...) {
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &bytes[done], IoChunk(bytes.size() - done), &got, nullptr) || got == 0) {
      bytes.clear();
      return false;
    }
    done += got;
  }
  return true;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD put = 0;
    if (!WriteFile(file.get(), bytes.data() + done, IoChunk(bytes.size() - done), &put, nullptr) ||
        put == 0)
      return false;
    done += put;
  }
  return FlushFileBuffers(file.get()) != FALSE;
}

namespace {

// True while a process `id` other than this one runs: its temporary file may be one it is writing now.
bool OtherProcessRuns(DWORD id) {
  if (id == GetCurrentProcessId()) return false;
  ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  // A process that cannot be opened for lack of rights still runs; one that does not exist cannot be opened.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

int RemoveLeftoverTemporaries(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string prefix = path.substr(folder.size()) + ".tmp";
  WIN32_FIND_DATAA found;
  ScopedFind search(FindFirstFileA((path + ".tmp*").c_str(), &found));
  if (!search) return 0;
  int removed = 0;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= prefix.size() ||
        name.size() > prefix.size() + 10 || _strnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0)
      continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
    unsigned long long id = 0;
    for (char c : digits) id = id * 10 + static_cast<unsigned>(c - '0');
    if (id > 0xFFFFFFFFULL || OtherProcessRuns(static_cast<DWORD>(id))) continue;
    // A file still open for writing refuses the deletion and stays.
    if (DeleteFileA((folder + name).c_str())) ++removed;
  } while (FindNextFileA(search.get(), &found));
  return removed;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  RemoveLeftoverTemporaries(path);
  std::string temporary = path + ".tmp" + std::to_string(GetCurrentProcessId());
  if (!WriteWholeFile(temporary, bytes)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool RenameOpenFile(HANDLE file, const std::string& newPath) {
  try {
    // The file information takes a full wide path; ours are in the ANSI code page.
    int wideLength = MultiByteToWideChar(CP_ACP, 0, newPath.c_str(), -1, nullptr, 0);
    if (wideLength <= 1) {
      SetLastError(ERROR_INVALID_NAME);
      return false;
    }
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength));
    MultiByteToWideChar(CP_ACP, 0, newPath.c_str(), -1, wide.data(), wideLength);
    DWORD fullLength = GetFullPathNameW(wide.data(), 0, nullptr, nullptr);
    if (fullLength == 0) return false;
    std::vector<wchar_t> full(fullLength);
    fullLength = GetFullPathNameW(wide.data(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (fullLength == 0 || fullLength >= full.size()) return false;
    std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + (fullLength + 1) * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = fullLength * sizeof(wchar_t);
    std::copy(full.begin(), full.begin() + fullLength + 1, info->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

bool DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool DeleteFileIfPresent(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  return !FileExists(path);
}

}  // namespace trr
