// Stands in for TrRadioDl.exe in the update-check tests: records that it was started, beside itself.
#include <windows.h>

#include <string>

int main() {
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
  if (n == 0 || n >= sizeof(path)) return 1;
  std::string marker(path, n);
  marker = marker.substr(0, marker.find_last_of("\\/") + 1) + "started.marker";
  HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, "started", 7, &written, nullptr);
  CloseHandle(file);
  return 0;
}
