// Maps a DLL image held in memory into the process and runs it, without writing it to disk.
#pragma once
#include <cstddef>
#include <cstdint>

namespace trr {

struct MemoryModule;

// Maps the DLL image `bytes` (`size` bytes) of this process's architecture (PE32 for i386 in a 32-bit process,
// PE32+ for x86-64 in a 64-bit one): checks its headers and section layout, reserves and commits its image (at
// its preferred base when free, elsewhere with relocation), copies headers and sections, resolves imports
// through LoadLibraryA/GetProcAddress, protects each page as the sections on it ask, gives back pages that only
// discardable sections use, registers the function table of a 64-bit image for unwinding, and calls the TLS
// callbacks and then the entry point with DLL_PROCESS_ATTACH. Returns nullptr on any failure (an image of the
// other architecture, a SizeOfImage beyond 16 times the file plus 1 MiB, unaligned, overlapping or misplaced
// sections, an image that must move without relocations, tables that leave the image or ask for more work than
// it holds, code on pages that are not executable, a failed allocation), with nothing left mapped or loaded.
MemoryModule* MapMemoryModule(const uint8_t* bytes, size_t size);

// Address of the function that the module exports under `name` (case-sensitive); nullptr when absent or when
// the lookup would have to read a page that the mapping left unreadable.
void* FindMemoryModuleExport(const MemoryModule* module, const char* name);

// Base address of the mapped image; nullptr for a null module.
const void* MemoryModuleBase(const MemoryModule* module);

// Calls the TLS callbacks and then the entry point with DLL_PROCESS_DETACH (those that were attached), as the
// system loader orders them for every reason, removes the function table, frees the imported modules and
// releases the memory. Accepts nullptr.
void FreeMemoryModule(MemoryModule* module);

}  // namespace trr
