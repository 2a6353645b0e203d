// A DLL without the C runtime whose sections are 512-byte aligned, so that the headers, .text, .data and the
// start of .junk share the first page, .junk fills the pages after it alone, and its end shares a page with
// .rdata and .edata. The loader tests change section flags and table entries of this image in memory.
// Seeds of the loader fuzz targets are built from it the same way with a small .junk, for x86 and x64:
//   i686-w64-mingw32-gcc -O2 -shared -nostdlib -s -DLAYOUT_PROBE_JUNK=0x100 -Wl,-e,_DllEntry@12
//     [-Wl,--section-alignment=0x200,--file-alignment=0x200] layout_probe.c -o probe_align<4096|512>.dll
//   x86_64-w64-mingw32-gcc -O2 -shared -nostdlib -s -DLAYOUT_PROBE_JUNK=0x100 -Wl,-e,DllEntry
//     [-Wl,--section-alignment=0x200,--file-alignment=0x200] layout_probe.c -o probe_x64_align<4096|512>.dll
#include <windows.h>

#ifndef LAYOUT_PROBE_JUNK
#define LAYOUT_PROBE_JUNK 0x6000
#endif

static int stored = 1;
// An address held in data: the image carries a relocation in both architectures, and Store and Load work only
// when it was applied.
static int* volatile storedAt = &stored;

__declspec(dllexport) int Answer(void) { return 42; }
__declspec(dllexport) void Store(int value) { *storedAt = value; }
__declspec(dllexport) int Load(void) { return *storedAt; }

// Room that the tests fill with crafted tables; initialised so that it has bytes in the file.
__attribute__((section(".junk"), used)) char junk[LAYOUT_PROBE_JUNK] = {1};

BOOL WINAPI DllEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return TRUE;
}
