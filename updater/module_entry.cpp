#include "updater/module_entry.h"

namespace trr {

BOOL CallModuleEntry(void* entry, HINSTANCE module, DWORD reason) {
  using DllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  return reinterpret_cast<DllEntry>(entry)(module, reason, nullptr);
}

void CallTlsCallback(void* callback, HINSTANCE module, DWORD reason) {
  reinterpret_cast<PIMAGE_TLS_CALLBACK>(callback)(module, reason, nullptr);
}

}  // namespace trr
