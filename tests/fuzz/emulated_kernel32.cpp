// The kernel32 calls of the image mapper over an emulated address space, for the native fuzz build. One image
// at a time is reserved in an arena of 4 KiB pages; a page that is not committed, decommitted, no-access or
// execute-only is poisoned for AddressSanitizer, so the mapper touching it is a crash, as it would be on Windows.
// Given-back pages read as zero again when committed. Libraries are counted handles and functions fake addresses;
// every byte of each name passed to LoadLibraryA and GetProcAddress is read, so a name that runs past the image
// is an AddressSanitizer report. A call into the image traps unless its target page is committed and executable.
// In the 64-bit build a registered function table must lie on readable pages of the image, every entry is read,
// and it must be removed before the image is released. EmulationIsClean() tells whether everything reserved,
// loaded or registered was given back.
#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <windows.h>

#include <cstdlib>

#include "tests/fuzz/emulated_kernel32.h"
#include "updater/module_entry.h"

namespace {

constexpr uintptr_t kPage = 4096;
constexpr size_t kArenaPages = 8192;  // 32 MiB: larger images cannot be reserved, as on a crowded system

struct Page {
  bool committed = false;
  DWORD protection = 0;
};

Page g_pages[kArenaPages];
size_t g_reserved = 0;  // pages reserved at the arena's start; 0 when nothing is
int g_libraries = 0;
const void* g_functionTable = nullptr;  // the registered function table, if any

uint8_t* Arena() {
  static uint8_t* arena = [] {
    void* at = mmap(nullptr, kArenaPages * kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) abort();
    ASAN_POISON_MEMORY_REGION(at, kArenaPages * kPage);
    return static_cast<uint8_t*>(at);
  }();
  return arena;
}

bool Readable(DWORD protection) {
  DWORD base = protection & 0xFF;
  return base == PAGE_READONLY || base == PAGE_READWRITE || base == PAGE_EXECUTE_READ || base == PAGE_EXECUTE_READWRITE;
}

void Refresh(size_t first, size_t end) {
  for (size_t i = first; i < end; ++i) {
    uint8_t* at = Arena() + i * kPage;
    if (g_pages[i].committed && Readable(g_pages[i].protection))
      ASAN_UNPOISON_MEMORY_REGION(at, kPage);
    else
      ASAN_POISON_MEMORY_REGION(at, kPage);
  }
}

// Gives pages back to the system, so that they read as zero when committed again.
void Zero(size_t first, size_t end) {
  madvise(Arena() + first * kPage, (end - first) * kPage, MADV_DONTNEED);
  for (size_t i = first; i < end; ++i) g_pages[i] = Page();
  Refresh(first, end);
}

// The reserved pages that [address, address + size) touches; false when it leaves the reservation.
bool Span(LPVOID address, SIZE_T size, size_t& first, size_t& end) {
  uintptr_t start = reinterpret_cast<uintptr_t>(address), base = reinterpret_cast<uintptr_t>(Arena());
  if (size == 0 || start < base || start - base >= g_reserved * kPage || size > g_reserved * kPage) return false;
  first = (start - base) / kPage;
  end = (start - base + size + kPage - 1) / kPage;
  return end <= g_reserved;
}

bool KnownProtection(DWORD protection) {
  DWORD base = protection & ~DWORD(PAGE_NOCACHE);
  bool known = base == PAGE_NOACCESS || base == PAGE_EXECUTE || Readable(base);
  return known && !(base == PAGE_NOACCESS && (protection & PAGE_NOCACHE));
}

// Traps unless `address` lies on a committed, executable page of the image.
void CheckRunnable(void* address) {
  size_t first, end;
  if (!Span(address, 1, first, end) || !g_pages[first].committed) __builtin_trap();
  DWORD base = g_pages[first].protection & 0xFF;
  if (base != PAGE_EXECUTE && base != PAGE_EXECUTE_READ && base != PAGE_EXECUTE_READWRITE) __builtin_trap();
}

// True when the zero-terminated `name` holds a '?', which stands for a library or function that does not exist.
// Reads every byte up to the zero.
bool NamesMissing(const char* name) {
  bool missing = false;
  for (const char* at = name; *at; ++at) missing |= *at == '?';
  return missing;
}

}  // namespace

bool EmulationIsClean() { return g_reserved == 0 && g_libraries == 0 && g_functionTable == nullptr; }

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection) {
  if (type != (MEM_RESERVE | MEM_COMMIT) || protection != PAGE_READWRITE || g_reserved || size == 0) return nullptr;
  // The preferred base is free only when it happens to be the arena's start.
  if (address && address != Arena()) return nullptr;
  size_t pages = (size + kPage - 1) / kPage;
  if (pages > kArenaPages) return nullptr;
  g_reserved = pages;
  for (size_t i = 0; i < pages; ++i) g_pages[i] = Page{true, PAGE_READWRITE};
  Refresh(0, pages);
  return Arena();
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type) {
  if (type == MEM_RELEASE) {
    if (address != Arena() || size != 0 || !g_reserved) return FALSE;
    if (g_functionTable) __builtin_trap();  // the unwinder would read released memory
    Zero(0, g_reserved);
    g_reserved = 0;
    return TRUE;
  }
  size_t first, end;
  if (type != MEM_DECOMMIT || !Span(address, size, first, end)) return FALSE;
  Zero(first, end);
  return TRUE;
}

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD protection, DWORD* previous) {
  size_t first, end;
  if (!previous || !KnownProtection(protection) || !Span(address, size, first, end)) return FALSE;
  for (size_t i = first; i < end; ++i)
    if (!g_pages[i].committed) return FALSE;
  *previous = g_pages[first].protection;
  for (size_t i = first; i < end; ++i) g_pages[i].protection = protection;
  Refresh(first, end);
  return TRUE;
}

// A name holding a '?' stands for a library or function that does not exist.
HMODULE WINAPI LoadLibraryA(LPCSTR name) {
  if (!name || name[0] == 0 || NamesMissing(name)) return nullptr;
  ++g_libraries;
  return reinterpret_cast<HMODULE>(uintptr_t(0x10000));
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (module != reinterpret_cast<HMODULE>(uintptr_t(0x10000)) || g_libraries <= 0) __builtin_trap();
  if (reinterpret_cast<uintptr_t>(name) >= 0x10000 && (name[0] == 0 || NamesMissing(name))) return nullptr;
  // No zero byte: a slot written over a name's end leaves it unterminated, as a real address may.
  return reinterpret_cast<FARPROC>(uintptr_t(0x7A7A7A7A7A7A7A7Aull));
}

BOOL WINAPI FreeLibrary(HMODULE) {
  if (--g_libraries < 0) __builtin_trap();
  return TRUE;
}

#if defined(__x86_64__)
// One table at a time, inside the reserved image, every entry read as the unwinder would. A table whose first
// function starts at an odd address is refused, so that both outcomes are exercised.
BOOLEAN RtlAddFunctionTable(RUNTIME_FUNCTION* table, DWORD count, DWORD64 base) {
  size_t first, end;
  if (g_functionTable || base != reinterpret_cast<uintptr_t>(Arena()) || count == 0 ||
      !Span(table, SIZE_T(count) * sizeof(RUNTIME_FUNCTION), first, end))
    __builtin_trap();
  for (size_t i = first; i < end; ++i)
    if (!g_pages[i].committed || !Readable(g_pages[i].protection)) __builtin_trap();
  volatile DWORD sum = 0;
  for (DWORD i = 0; i < count; ++i) sum = sum + table[i].BeginAddress + table[i].EndAddress + table[i].UnwindData;
  if (table[0].BeginAddress & 1) return FALSE;
  g_functionTable = table;
  return TRUE;
}

BOOLEAN RtlDeleteFunctionTable(RUNTIME_FUNCTION* table) {
  if (!table || table != g_functionTable) __builtin_trap();
  g_functionTable = nullptr;
  return TRUE;
}
#endif

void WINAPI GetNativeSystemInfo(SYSTEM_INFO* info) { info->dwPageSize = kPage; }
HANDLE WINAPI GetCurrentProcess() { return reinterpret_cast<HANDLE>(intptr_t(-1)); }
BOOL WINAPI FlushInstructionCache(HANDLE, const void*, SIZE_T) { return TRUE; }

namespace trr {

// An entry point at an odd address fails its attach, so that both outcomes are exercised.
BOOL CallModuleEntry(void* entry, HINSTANCE, DWORD reason) {
  CheckRunnable(entry);
  return reason != DLL_PROCESS_ATTACH || (reinterpret_cast<uintptr_t>(entry) & 1) == 0;
}

void CallTlsCallback(void* callback, HINSTANCE, DWORD) { CheckRunnable(callback); }

}  // namespace trr
