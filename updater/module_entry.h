// Calls into a mapped image: its DLL entry point and its TLS callbacks, with the arguments the system loader
// passes. Kept apart from the mapper so that the mapping steps can be exercised where the image's code cannot run.
#pragma once
#include <windows.h>

namespace trr {

// Calls the entry point at `entry` as DllMain(module, reason, nullptr); returns its result.
BOOL CallModuleEntry(void* entry, HINSTANCE module, DWORD reason);

// Calls the TLS callback at `callback` with (module, reason, nullptr).
void CallTlsCallback(void* callback, HINSTANCE module, DWORD reason);

}  // namespace trr
