// Stands in for the player in the updater's end-to-end tests: records that it ran, from where and in which
// current directory, in "standin-ran.txt" beside itself, then ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH], current[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD currentLength = GetCurrentDirectoryA(MAX_PATH, current);
  if (!length || length >= MAX_PATH || !currentLength || currentLength >= MAX_PATH) return 1;
  char marker[MAX_PATH + 32];
  lstrcpyA(marker, path);
  char* slash = marker + lstrlenA(marker);
  while (slash > marker && *slash != '\\') --slash;
  lstrcpyA(slash, "\\standin-ran.txt");
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written;
  WriteFile(file, path, length, &written, nullptr);
  WriteFile(file, "|", 1, &written, nullptr);
  WriteFile(file, current, currentLength, &written, nullptr);
  CloseHandle(file);
  return 0;
}
