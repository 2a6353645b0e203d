// Maps a DLL image held in memory into the process and runs it, without writing it to disk.
#pragma once
#include <cstddef>
#include <cstdint>

namespace trr {

struct MemoryModule;

// Maps the DLL image `bytes` (`size` bytes): checks its headers, reserves and commits its image (at its
// preferred base when free, elsewhere with relocation), copies headers and sections, resolves imports through
// LoadLibraryA/GetProcAddress, sets section protections and calls the entry point with DLL_PROCESS_ATTACH.
// Returns nullptr on any failure, with nothing left mapped or loaded.
MemoryModule* MapMemoryModule(const uint8_t* bytes, size_t size);

// Address of the function that the module exports under `name` (case-sensitive); nullptr when absent.
void* FindMemoryModuleExport(const MemoryModule* module, const char* name);

// Base address of the mapped image; nullptr for a null module.
const void* MemoryModuleBase(const MemoryModule* module);

// Calls the entry point with DLL_PROCESS_DETACH (when attached), frees the imported modules and releases the
// memory. Accepts nullptr.
void FreeMemoryModule(MemoryModule* module);

}  // namespace trr
