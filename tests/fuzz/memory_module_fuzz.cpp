// The image mapper over the emulated address space: any input maps or is refused, export lookups read only what
// the mapper kept readable, and releasing or refusing leaves nothing reserved, loaded or registered. Built as a
// 32-bit program it maps PE32 images, built natively for x86-64 it maps PE32+ images.
#include <initializer_list>

#include "tests/fuzz/emulated_kernel32.h"
#include "updater/memory_module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trr::MemoryModule* module = trr::MapMemoryModule(data, size);
  if (module) {
    const uint8_t* base = static_cast<const uint8_t*>(trr::MemoryModuleBase(module));
    for (const char* name : {"AttachSkin", "Answer", "EventLog", ""}) {
      auto* found = static_cast<const uint8_t*>(trr::FindMemoryModuleExport(module, name));
      if (found && found <= base) __builtin_trap();
    }
    trr::FreeMemoryModule(module);
  }
  if (!EmulationIsClean()) __builtin_trap();
  return 0;
}
