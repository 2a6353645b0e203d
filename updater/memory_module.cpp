// The in-memory loader. The platform's loader expects a DLL to be mapped section by section at its virtual
// addresses, moved by its base relocations when it does not sit at its preferred base, its import address
// table filled, its pages protected as the sections ask, its TLS callbacks and then DllMain called with
// DLL_PROCESS_ATTACH. A 64-bit DLL also needs its function table (the exception directory) known to the
// unwinder, or a C++ exception thrown inside it cannot find its handler and ends the process; RtlAddFunctionTable
// registers it, as the system loader does for the images it maps. This file does the same with
// VirtualAlloc/VirtualProtect, LoadLibraryA and GetProcAddress, which it calls directly through kernel32 rather
// than looking them up through the process's loader data. Only images of the process's own architecture are
// mapped: PE32 in a 32-bit process, PE32+ in a 64-bit one.
//
// The image is untrusted: its headers and section table are checked before anything is reserved (sections
// aligned, in order, clear of the headers and of each other, inside the image, SizeOfImage in proportion to the
// file), every table offset is checked by pe_tables, and any failure or exception undoes everything done so far.
// Import names are copied out of the image before any import slot is written, since a slot may lie over a name.
// Pages are planned whole (image_pages): sections smaller than a page share it, so protections are combined per
// page, and a discardable section only gives back pages that nothing else in use touches. Static TLS data is not
// set up: MinGW code keeps its thread-local variables through TlsAlloc, so its TLS directory only carries
// callbacks, which are run.
#include "updater/memory_module.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "updater/image_pages.h"
#include "updater/module_entry.h"
#include "updater/pe_image.h"
#include "updater/pe_tables.h"

namespace trr {

struct MemoryModule {
  PeLayout layout;
  uint8_t* codeBase = nullptr;
  std::vector<HMODULE> imports;
  std::vector<uint32_t> tlsCallbacks;  // RVAs, in the order they are called
  PagePlan pages;
  void* functionTable = nullptr;  // registered with the unwinder; 64-bit images only
  bool tlsAttached = false;
  bool attached = false;
};

namespace {

#if defined(__x86_64__)
constexpr uint16_t kNativeMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr uint16_t kNativeMachine = IMAGE_FILE_MACHINE_I386;
#endif

struct ModuleFree {
  void operator()(MemoryModule* module) const { FreeMemoryModule(module); }
};
using ModuleHolder = std::unique_ptr<MemoryModule, ModuleFree>;

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

// Loads the imported modules and looks up every function from the copied names first; only then writes the
// slots, so that no slot can change a name or thunk still to be read.
bool ResolveImports(MemoryModule& module, const ImportTable& table) {
  std::vector<uint64_t> addresses;
  for (const ImportModule& import : table.modules) {
    HMODULE library = LoadLibraryA(table.Name(import.name));
    if (!library) return false;
    module.imports.push_back(library);
    for (const ImportThunk& thunk : import.thunks) {
      FARPROC function = thunk.byOrdinal
                             ? GetProcAddress(library, reinterpret_cast<LPCSTR>(uintptr_t(thunk.ordinal)))
                             : GetProcAddress(library, table.Name(thunk.name));
      if (!function) return false;
      addresses.push_back(reinterpret_cast<uintptr_t>(function));
    }
  }
  size_t next = 0;
  for (const ImportModule& import : table.modules)
    for (const ImportThunk& thunk : import.thunks)
      memcpy(module.codeBase + thunk.slotRva, &addresses[next++], table.slotSize);
  return true;
}

// What the module still reads or runs once it is mapped: the data directories, the entry point, the export
// data and exported functions, the filled import address table and the TLS callbacks.
std::vector<RvaRange> RangesInUse(const MemoryModule& module, const ImportTable& imports, const RvaRange& tlsArray) {
  const PeLayout& layout = module.layout;
  std::vector<RvaRange> ranges;
  for (uint32_t i = 0; i < layout.directoryCount; ++i) {
    const IMAGE_DATA_DIRECTORY& directory = layout.directories[i];
    // The certificate directory holds a file offset, not an address in the image.
    if (i == IMAGE_DIRECTORY_ENTRY_SECURITY || directory.VirtualAddress == 0) continue;
    ranges.push_back(RvaRange{directory.VirtualAddress, uint64_t(directory.VirtualAddress) + directory.Size});
  }
  if (layout.entryPoint) ranges.push_back(RvaRange{layout.entryPoint, uint64_t(layout.entryPoint) + 1});
  AddExportRanges(module.codeBase, layout.sizeOfImage, layout.exports, ranges);
  for (const ImportModule& import : imports.modules)
    if (!import.thunks.empty())
      ranges.push_back(
          RvaRange{import.thunks.front().slotRva, uint64_t(import.thunks.back().slotRva) + imports.slotSize});
  ranges.push_back(tlsArray);
  for (uint32_t callback : module.tlsCallbacks) ranges.push_back(RvaRange{callback, uint64_t(callback) + 1});
  return ranges;
}

// Protects or decommits each run of pages that the plan treats alike.
bool ApplyPagePlan(const MemoryModule& module) {
  const PagePlan& plan = module.pages;
  size_t pages = plan.protection.size();
  for (size_t first = 0; first < pages;) {
    size_t end = first + 1;
    while (end < pages && plan.protection[end] == plan.protection[first]) ++end;
    uint8_t* start = module.codeBase + first * plan.pageSize;
    SIZE_T length = (end - first) * plan.pageSize;
    DWORD previous;
    bool done = plan.protection[first] == 0 ? VirtualFree(start, length, MEM_DECOMMIT) != FALSE
                                            : VirtualProtect(start, length, plan.protection[first], &previous) != FALSE;
    if (!done) return false;
    first = end;
  }
  return true;
}

// Hands the function table of a 64-bit image to the unwinder. Its entries are read by the system when an
// exception passes through the module, so the table must stay readable. True when there is none to register.
bool RegisterFunctionTable(MemoryModule& module) {
#if defined(__x86_64__)
  const IMAGE_DATA_DIRECTORY& directory = module.layout.exceptions;
  DWORD count = directory.Size / sizeof(RUNTIME_FUNCTION);
  if (directory.VirtualAddress == 0 || count == 0) return true;
  // The entries are read as whole 32-bit fields, so the table must start on one.
  if (directory.VirtualAddress % alignof(RUNTIME_FUNCTION) != 0) return false;
  ImageView view = PlannedView(module.pages, module.codeBase, module.layout.sizeOfImage);
  if (!view.CanRead(directory.VirtualAddress, uint64_t(count) * sizeof(RUNTIME_FUNCTION))) return false;
  auto* table = reinterpret_cast<RUNTIME_FUNCTION*>(module.codeBase + directory.VirtualAddress);
  if (!RtlAddFunctionTable(table, count, reinterpret_cast<DWORD64>(module.codeBase))) return false;
  module.functionTable = table;
#else
  (void)module;  // 32-bit code unwinds through frame chains and tables of its own, not through a system table
#endif
  return true;
}

MemoryModule* MapChecked(const uint8_t* bytes, size_t size) {
  PeLayout layout;
  if (!ReadPeLayout(bytes, size, layout) || !(layout.fileCharacteristics & IMAGE_FILE_DLL)) return nullptr;
  if (layout.machine != kNativeMachine) return nullptr;
  if (!CheckSectionLayout(bytes, size, layout)) return nullptr;
  void* base = VirtualAlloc(reinterpret_cast<void*>(uintptr_t(layout.imageBase)), layout.sizeOfImage,
                            MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!base) base = VirtualAlloc(nullptr, layout.sizeOfImage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!base) return nullptr;
  ModuleHolder module(new (std::nothrow) MemoryModule());
  if (!module) {
    VirtualFree(base, 0, MEM_RELEASE);
    return nullptr;
  }
  module->layout = layout;
  module->codeBase = static_cast<uint8_t*>(base);
  memcpy(module->codeBase, bytes, layout.sizeOfHeaders);
  if (!CopySections(*module, bytes, size)) return nullptr;
  uint64_t actualBase = reinterpret_cast<uintptr_t>(base);
  uint64_t delta = actualBase - layout.imageBase;
  // An image without usable relocations can only run at its preferred base.
  if (delta != 0 && ((layout.fileCharacteristics & IMAGE_FILE_RELOCS_STRIPPED) ||
                     !ApplyRelocations(module->codeBase, layout.sizeOfImage, layout.relocations, delta,
                                       layout.pe32plus)))
    return nullptr;
  // The copied headers announce the base the image now sits at; the field lies inside the headers, which no
  // section may cover.
  memcpy(module->codeBase + layout.imageBaseOffset, &actualBase, layout.PointerSize());
  ImportTable imports;
  if (!ReadImports(module->codeBase, layout.sizeOfImage, layout.imports, layout.pe32plus, imports) ||
      !ResolveImports(*module, imports))
    return nullptr;
  RvaRange tlsArray;
  if (!ReadTlsCallbacks(module->codeBase, layout.sizeOfImage, layout.tls, actualBase, layout.pe32plus,
                        module->tlsCallbacks, tlsArray))
    return nullptr;
  SYSTEM_INFO system;
  GetNativeSystemInfo(&system);
  if (!PlanPages(bytes, size, layout, RangesInUse(*module, imports, tlsArray), system.dwPageSize, module->pages))
    return nullptr;
  // Code that is called must lie on pages that stay executable.
  if (layout.entryPoint && !PlannedExecutable(module->pages, layout.entryPoint)) return nullptr;
  for (uint32_t callback : module->tlsCallbacks)
    if (!PlannedExecutable(module->pages, callback)) return nullptr;
  if (!ApplyPagePlan(*module)) return nullptr;
  FlushInstructionCache(GetCurrentProcess(), module->codeBase, layout.sizeOfImage);
  if (!RegisterFunctionTable(*module)) return nullptr;

  HINSTANCE instance = reinterpret_cast<HINSTANCE>(module->codeBase);
  module->tlsAttached = true;
  for (uint32_t callback : module->tlsCallbacks)
    CallTlsCallback(module->codeBase + callback, instance, DLL_PROCESS_ATTACH);
  if (layout.entryPoint) {
    module->attached = CallModuleEntry(module->codeBase + layout.entryPoint, instance, DLL_PROCESS_ATTACH) != FALSE;
    if (!module->attached) return nullptr;
  }
  return module.release();
}

}  // namespace

MemoryModule* MapMemoryModule(const uint8_t* bytes, size_t size) {
  // Tables can ask for more memory than there is; a failed allocation is a failed mapping, and the holder inside
  // has already undone the work.
  try {
    return MapChecked(bytes, size);
  } catch (...) {
    return nullptr;
  }
}

void* FindMemoryModuleExport(const MemoryModule* module, const char* name) {
  if (!module) return nullptr;
  ImageView view = PlannedView(module->pages, module->codeBase, module->layout.sizeOfImage);
  uint32_t rva = FindExportRva(view, module->layout.exports, name);
  return rva ? module->codeBase + rva : nullptr;
}

const void* MemoryModuleBase(const MemoryModule* module) { return module ? module->codeBase : nullptr; }

void FreeMemoryModule(MemoryModule* module) {
  if (!module) return;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(module->codeBase);
  if (module->tlsAttached)
    for (uint32_t callback : module->tlsCallbacks)
      CallTlsCallback(module->codeBase + callback, instance, DLL_PROCESS_DETACH);
  if (module->attached) CallModuleEntry(module->codeBase + module->layout.entryPoint, instance, DLL_PROCESS_DETACH);
#if defined(__x86_64__)
  if (module->functionTable) RtlDeleteFunctionTable(static_cast<RUNTIME_FUNCTION*>(module->functionTable));
#endif
  for (auto it = module->imports.rbegin(); it != module->imports.rend(); ++it) FreeLibrary(*it);
  if (module->codeBase) VirtualFree(module->codeBase, 0, MEM_RELEASE);
  delete module;
}

}  // namespace trr
