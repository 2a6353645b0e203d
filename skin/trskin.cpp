// trskin.dll: a small skin engine. AttachSkin reads a skin file and dresses every window of the calling thread,
// those that exist and those created later (through a thread-local CBT hook), with the skin's colours.
// The DLL keeps to kernel32, user32, gdi32 and comctl32 imports and runs no TLS callbacks, so that it can be
// mapped from memory by a loader that does not run them.
#include <windows.h>

#include "skin/skin_file.h"
#include "skin/skin_painter.h"

namespace {

HHOOK g_hook = nullptr;
DWORD g_thread = 0;

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) trskin::DressWindow(reinterpret_cast<HWND>(wParam));
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

BOOL CALLBACK DressChild(HWND window, LPARAM) {
  trskin::DressWindow(window);
  return TRUE;
}

BOOL CALLBACK DressTopLevel(HWND window, LPARAM) {
  trskin::DressWindow(window);
  EnumChildWindows(window, DressChild, 0);
  return TRUE;
}

void Detach() {
  if (g_hook) UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  g_thread = 0;
  trskin::UndressAll();
}

// Reads the whole file into a heap block; nullptr when it cannot be read or is larger than 64 KiB.
char* ReadSkinBytes(const char* fileName, DWORD& size) {
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  char* bytes = nullptr;
  size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE && size <= 65536) {
    bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size ? size : 1));
    DWORD got = 0;
    if (bytes && (!ReadFile(file, bytes, size, &got, nullptr) || got != size)) {
      HeapFree(GetProcessHeap(), 0, bytes);
      bytes = nullptr;
    }
  }
  CloseHandle(file);
  return bytes;
}

}  // namespace

// Attaches the skin in `fileName` (resolved against the current directory when relative) to the calling
// thread's windows. Returns 1 on success; 0 when the file is missing or malformed, the password does not match,
// or the hook cannot be installed. A second call replaces the colours.
extern "C" __declspec(dllexport) int AttachSkin(const char* fileName, const char* password) {
  if (!fileName) return 0;
  DWORD size = 0;
  char* bytes = ReadSkinBytes(fileName, size);
  if (!bytes) return 0;
  trskin::SkinFile skin;
  bool parsed = trskin::ParseSkinFile(bytes, size, skin);
  HeapFree(GetProcessHeap(), 0, bytes);
  if (!parsed) return 0;
  if (skin.hasPassword && lstrcmpA(skin.password, password ? password : "") != 0) return 0;
  if (g_thread && g_thread != GetCurrentThreadId()) return 0;
  if (!trskin::SetSkinColours(skin.colours)) return 0;
  if (!g_hook) {
    g_hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
    if (!g_hook) return 0;
    g_thread = GetCurrentThreadId();
  }
  EnumThreadWindows(GetCurrentThreadId(), DressTopLevel, 0);
  return 1;
}

// Removes the hook and gives every dressed window its own procedure back. Always returns 1.
extern "C" __declspec(dllexport) int DetachSkin() {
  Detach();
  return 1;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) Detach();
  return TRUE;
}
