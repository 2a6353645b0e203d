// A DLL built with the C runtime, like the skin engine, whose TLS callback and DllMain record the order in which
// a loader calls them: 'T'/'t' for the callback with process attach/detach, 'E'/'e' for DllMain. It also throws
// and catches a C++ exception on request, which needs the loader to have made its unwind data known.
#include <windows.h>

namespace {

char g_log[32];
char* g_sink = g_log;

void Record(DWORD reason, char attach, char detach) {
  char event = reason == DLL_PROCESS_ATTACH ? attach : reason == DLL_PROCESS_DETACH ? detach : 0;
  int length = lstrlenA(g_sink);
  if (event && length < 30) {
    g_sink[length] = event;
    g_sink[length + 1] = 0;
  }
}

void NTAPI TlsCallback(PVOID, DWORD reason, PVOID) { Record(reason, 'T', 't'); }

// Kept out of line, so that the exception leaves a frame of its own before it is caught.
__attribute__((noinline)) void Raise(int value) { throw value; }

}  // namespace

// The C runtime's TLS directory lists every callback placed between its .CRT$XLA and .CRT$XLZ markers.
extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK trrTlsProbeCallback = TlsCallback;

// Events recorded so far.
extern "C" __declspec(dllexport) const char* EventLog() { return g_sink; }

// Records later events in the caller's zero-terminated `buffer` (room for 32 bytes), which outlives the module.
extern "C" __declspec(dllexport) void RecordInto(char* buffer) { g_sink = buffer; }

// Throws `value` from a function of the module and catches it in this one; returns value + 1.
extern "C" __declspec(dllexport) int ThrowAndCatch(int value) {
  try {
    Raise(value);
  } catch (int caught) {
    return caught + 1;
  }
  return 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  Record(reason, 'E', 'e');
  return TRUE;
}
