// Maps a DLL image held in memory into the process and runs it, without writing it to disk.
#pragma once
#include <cstddef>
#include <cstdint>

namespace trr {

struct MemoryModule;

// Maps the DLL image `bytes` (`size` bytes): checks its headers and section layout, reserves and commits its
// image (at its preferred base when free, elsewhere with relocation), copies headers and sections, resolves
// imports through LoadLibraryA/GetProcAddress, protects each page as the sections on it ask, gives back pages
// that only discardable sections use, and calls the TLS callbacks and then the entry point with
// DLL_PROCESS_ATTACH. Returns nullptr on any failure (unaligned, overlapping or misplaced sections, tables that
// leave the image or ask for more work than it holds, code on pages that are not executable, a failed
// allocation), with nothing left mapped or loaded.
MemoryModule* MapMemoryModule(const uint8_t* bytes, size_t size);

// Address of the function that the module exports under `name` (case-sensitive); nullptr when absent or when
// the lookup would have to read a page that the mapping left unreadable.
void* FindMemoryModuleExport(const MemoryModule* module, const char* name);

// Base address of the mapped image; nullptr for a null module.
const void* MemoryModuleBase(const MemoryModule* module);

// Calls the entry point and then the TLS callbacks with DLL_PROCESS_DETACH (those that were attached), frees the
// imported modules and releases the memory. Accepts nullptr.
void FreeMemoryModule(MemoryModule* module);

}  // namespace trr
