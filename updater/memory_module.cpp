// The in-memory loader. The platform's loader expects a DLL to be mapped section by section at its virtual
// addresses, moved by its base relocations when it does not sit at its preferred base, its import address
// table filled, its pages protected as the sections ask, and DllMain called with DLL_PROCESS_ATTACH. This file
// does the same with VirtualAlloc/VirtualProtect, LoadLibraryA and GetProcAddress, which it calls directly
// through kernel32 rather than looking them up through the process's loader data. The image is untrusted: every
// offset is checked by pe_image before it is used, and any failure undoes everything done so far.
#include "updater/memory_module.h"

#include <windows.h>

#include <vector>

#include "updater/pe_image.h"

namespace trr {

struct MemoryModule {
  PeLayout layout;
  uint8_t* codeBase = nullptr;
  std::vector<HMODULE> imports;
  bool attached = false;
};

namespace {

using DllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

DWORD ProtectionFor(DWORD characteristics) {
  bool execute = characteristics & IMAGE_SCN_MEM_EXECUTE;
  bool read = characteristics & IMAGE_SCN_MEM_READ;
  bool write = characteristics & IMAGE_SCN_MEM_WRITE;
  DWORD protection;
  if (execute)
    protection = write ? PAGE_EXECUTE_READWRITE : read ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
  else
    protection = write ? PAGE_READWRITE : read ? PAGE_READONLY : PAGE_NOACCESS;
  if (characteristics & IMAGE_SCN_MEM_NOT_CACHED) protection |= PAGE_NOCACHE;
  return protection;
}

bool CopySections(MemoryModule& module, const uint8_t* bytes, size_t size) {
  for (unsigned i = 0; i < module.layout.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadSection(bytes, size, module.layout, i, section)) return false;
    uint8_t* destination = module.codeBase + section.VirtualAddress;
    uint32_t copy = section.SizeOfRawData;
    if (section.Misc.VirtualSize && section.Misc.VirtualSize < copy) copy = section.Misc.VirtualSize;
    // The whole image is committed and zero-filled already, so a section without raw data needs nothing.
    if (copy) memcpy(destination, bytes + section.PointerToRawData, copy);
  }
  return true;
}

bool ResolveImports(MemoryModule& module) {
  std::vector<ImportModule> wanted;
  if (!ReadImports(module.codeBase, module.layout.sizeOfImage, module.layout.imports, wanted)) return false;
  for (const ImportModule& import : wanted) {
    HMODULE library = LoadLibraryA(import.name.c_str());
    if (!library) return false;
    module.imports.push_back(library);
    for (const ImportThunk& thunk : import.thunks) {
      FARPROC function = thunk.byOrdinal
                             ? GetProcAddress(library, reinterpret_cast<LPCSTR>(uintptr_t(thunk.ordinal)))
                             : GetProcAddress(library, thunk.name.c_str());
      if (!function) return false;
      uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function));
      memcpy(module.codeBase + thunk.slotRva, &address, sizeof(address));
    }
  }
  return true;
}

bool ProtectSections(MemoryModule& module, const uint8_t* bytes, size_t size) {
  SYSTEM_INFO system;
  GetNativeSystemInfo(&system);
  for (unsigned i = 0; i < module.layout.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadSection(bytes, size, module.layout, i, section)) return false;
    uint8_t* start = module.codeBase + section.VirtualAddress;
    SIZE_T length = SectionMappedSize(section, module.layout);
    if (section.Characteristics & IMAGE_SCN_MEM_DISCARDABLE) {
      // Only whole pages that belong to this section alone can be given back, and never the export table,
      // which is read again when a function is looked up.
      const IMAGE_DATA_DIRECTORY& exports = module.layout.exports;
      bool holdsExports = exports.VirtualAddress != 0 &&
                          exports.VirtualAddress < section.VirtualAddress + length &&
                          section.VirtualAddress < exports.VirtualAddress + exports.Size;
      if (module.layout.sectionAlignment >= system.dwPageSize && !holdsExports) {
        VirtualFree(start, length, MEM_DECOMMIT);
        continue;
      }
    }
    DWORD previous;
    if (!VirtualProtect(start, length, ProtectionFor(section.Characteristics), &previous)) return false;
  }
  FlushInstructionCache(GetCurrentProcess(), module.codeBase, module.layout.sizeOfImage);
  return true;
}

}  // namespace

MemoryModule* MapMemoryModule(const uint8_t* bytes, size_t size) {
  PeLayout layout;
  if (!ReadPeLayout(bytes, size, layout)) return nullptr;
  if (!(reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes + layout.ntOffset)->FileHeader.Characteristics &
        IMAGE_FILE_DLL))
    return nullptr;
  // Every section must be sound before anything is reserved, and the entry point must lie in code.
  bool entryInCode = layout.entryPoint == 0;
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadSection(bytes, size, layout, i, section)) return nullptr;
    if (layout.entryPoint >= section.VirtualAddress &&
        layout.entryPoint - section.VirtualAddress < SectionMappedSize(section, layout) &&
        (section.Characteristics & IMAGE_SCN_MEM_EXECUTE) && !(section.Characteristics & IMAGE_SCN_MEM_DISCARDABLE))
      entryInCode = true;
  }
  if (!entryInCode) return nullptr;
  void* base = VirtualAlloc(reinterpret_cast<void*>(uintptr_t(layout.imageBase)), layout.sizeOfImage,
                            MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!base) base = VirtualAlloc(nullptr, layout.sizeOfImage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!base) return nullptr;
  MemoryModule* module = new (std::nothrow) MemoryModule();
  if (!module) {
    VirtualFree(base, 0, MEM_RELEASE);
    return nullptr;
  }
  module->layout = layout;
  module->codeBase = static_cast<uint8_t*>(base);
  memcpy(module->codeBase, bytes, layout.sizeOfHeaders);
  uint32_t delta = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base)) - layout.imageBase;
  bool mapped = CopySections(*module, bytes, size);
  if (mapped && delta != 0) {
    // An image without relocations can only run at its preferred base.
    mapped = layout.relocations.VirtualAddress != 0 &&
             ApplyRelocations(module->codeBase, layout.sizeOfImage, layout.relocations, delta);
  }
  if (mapped) {
    // The copied headers announce the base the image now sits at.
    uint32_t actualBase = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base));
    memcpy(module->codeBase + layout.ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader.ImageBase),
           &actualBase, sizeof(actualBase));
  }
  mapped = mapped && ResolveImports(*module) && ProtectSections(*module, bytes, size);
  if (mapped && layout.entryPoint) {
    DllEntry entry = reinterpret_cast<DllEntry>(module->codeBase + layout.entryPoint);
    module->attached = entry(reinterpret_cast<HINSTANCE>(module->codeBase), DLL_PROCESS_ATTACH, nullptr) != FALSE;
    mapped = module->attached;
  }
  if (!mapped) {
    FreeMemoryModule(module);
    return nullptr;
  }
  return module;
}

void* FindMemoryModuleExport(const MemoryModule* module, const char* name) {
  if (!module) return nullptr;
  uint32_t rva = FindExportRva(module->codeBase, module->layout.sizeOfImage, module->layout.exports, name);
  return rva ? module->codeBase + rva : nullptr;
}

const void* MemoryModuleBase(const MemoryModule* module) { return module ? module->codeBase : nullptr; }

void FreeMemoryModule(MemoryModule* module) {
  if (!module) return;
  if (module->attached) {
    DllEntry entry = reinterpret_cast<DllEntry>(module->codeBase + module->layout.entryPoint);
    entry(reinterpret_cast<HINSTANCE>(module->codeBase), DLL_PROCESS_DETACH, nullptr);
  }
  for (auto it = module->imports.rbegin(); it != module->imports.rend(); ++it) FreeLibrary(*it);
  if (module->codeBase) VirtualFree(module->codeBase, 0, MEM_RELEASE);
  delete module;
}

}  // namespace trr
