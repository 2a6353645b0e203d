// The PE readers on any input: as a file (headers, section table, page plan) and as an image already laid out
// at its RVAs (relocations, imports, exports, TLS callbacks). Their results must lie inside the input.
#include <vector>

#include "updater/image_pages.h"
#include "updater/pe_image.h"
#include "updater/pe_tables.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace trr;
  PeLayout layout;
  IMAGE_DATA_DIRECTORY directories[4] = {};  // relocations, imports, exports, TLS
  if (ReadPeLayout(data, size, layout)) {
    Check(layout.sizeOfHeaders <= size && layout.sectionTableOffset < layout.sizeOfHeaders);
    PagePlan plan;
    if (CheckSectionLayout(data, size, layout) && layout.sizeOfImage <= (64u << 20) &&
        PlanPages(data, size, layout, {{0, 1}}, 4096, plan))
      Check(plan.protection.size() * 4096 >= layout.sizeOfImage && plan.protection[0] != 0);
    directories[0] = layout.relocations, directories[1] = layout.imports;
    directories[2] = layout.exports, directories[3] = layout.tls;
  } else if (size >= sizeof(directories)) {
    memcpy(directories, data, sizeof(directories));  // a laid-out image with its directories up front
  }
  std::vector<uint8_t> image(data, data + size);
  ApplyRelocations(image.data(), image.size(), directories[0], 0x10000);
  std::vector<ImportModule> modules;
  if (ReadImports(image.data(), image.size(), directories[1], modules)) {
    for (const ImportModule& module : modules) {
      Check(module.nameRva < size && memchr(image.data() + module.nameRva, 0, size - module.nameRva));
      for (const ImportThunk& thunk : module.thunks) Check(RangeInside(thunk.slotRva, 4, size));
    }
  }
  ImageView view;
  view.bytes = image.data();
  view.size = image.size();
  uint32_t rva = FindExportRva(view, directories[2], "AttachSkin");
  Check(rva == 0 || rva < size);
  std::vector<RvaRange> ranges;
  AddExportRanges(image.data(), image.size(), directories[2], ranges);
  for (const RvaRange& range : ranges) Check(range.begin < range.end && range.end <= size);
  std::vector<uint32_t> callbacks;
  RvaRange array;
  if (ReadTlsCallbacks(image.data(), image.size(), directories[3], 0x10000000, callbacks, array))
    for (uint32_t callback : callbacks) Check(callback < size && array.end <= size);
  return 0;
}
