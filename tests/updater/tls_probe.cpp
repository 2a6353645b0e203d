// A DLL built with the C runtime, like the skin engine, whose TLS callback and DllMain record the order in which
// a loader calls them: 'T'/'t' for the callback with process attach/detach, 'E'/'e' for DllMain.
#include <windows.h>

namespace {

char g_log[32];
char* g_mirror = nullptr;

void Append(char* log, char event) {
  int length = lstrlenA(log);
  if (length < 30) {
    log[length] = event;
    log[length + 1] = 0;
  }
}

void Record(char event) {
  Append(g_log, event);
  if (g_mirror) Append(g_mirror, event);
}

void NTAPI TlsCallback(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record('T');
  if (reason == DLL_PROCESS_DETACH) Record('t');
}

}  // namespace

// The C runtime's TLS directory lists every callback placed between its .CRT$XLA and .CRT$XLZ markers.
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK trrTlsProbeCallback = TlsCallback;

// Events recorded so far.
extern "C" __declspec(dllexport) const char* EventLog() { return g_log; }

// From now on also appends every event to the caller's zero-terminated `buffer` (room for 32 bytes), which
// outlives the module.
extern "C" __declspec(dllexport) void MirrorEvents(char* buffer) { g_mirror = buffer; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record('E');
  if (reason == DLL_PROCESS_DETACH) Record('e');
  return TRUE;
}
