// The process-wide item handle counter shared by every control, so handles never repeat across controls.
#include <windows.h>

#include <random>

#include "listctrl/item_info.h"

namespace trr {
namespace {
ItemHandle g_handleCounter = 0;
}

void SeedItemHandles() {
  if (g_handleCounter != 0) return;
  // The C runtime's rand() stops at 32767 here, so draw from a full-range generator to cover 10000..99999.
  std::mt19937 generator(::GetTickCount() ^ (::GetCurrentProcessId() << 16));
  g_handleCounter = std::uniform_int_distribution<ItemHandle>(10000, 99999)(generator);
}

ItemHandle NextItemHandle() {
  SeedItemHandles();
  ++g_handleCounter;
  // 0 never names an item, should the counter ever wrap.
  if (g_handleCounter == 0) ++g_handleCounter;
  return g_handleCounter;
}

}  // namespace trr
