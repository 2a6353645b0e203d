#include "tests/harness/temp_dir.h"

#include <windows.h>

#include "common/file_util.h"

namespace trr::test {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  char base[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(base), base);
  std::string root = n ? std::string(base, n) : std::string(".\\");
  static unsigned sequence = 0;
  for (;;) {
    path_ = root + "trradio-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++sequence);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScopedTempDir::~ScopedTempDir() { RemoveTree(path_); }

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::string BinDirectory() {
  char value[1024];
  DWORD n = GetEnvironmentVariableA("TRRADIO_BIN_DIR", value, sizeof(value));
  if (n == 0 || n >= sizeof(value)) return ModuleDirectory();
  std::string unixPath(value, n);
  // A Unix path reaches Wine through the Z: drive.
  if (!unixPath.empty() && unixPath[0] == '/') {
    std::string windowsPath = "Z:" + unixPath;
    for (char& c : windowsPath)
      if (c == '/') c = '\\';
    return windowsPath;
  }
  return unixPath;
}

}  // namespace trr::test
