// The PE readers on any input, PE32 and PE32+: as a file (headers, section table, page plan) and as an image
// already laid out at its RVAs (relocations, imports, exports, TLS callbacks). Their results must lie inside the
// input. An input that is not a PE file is read as a laid-out image of the format its first byte picks.
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
  bool pe32plus = size > 0 && (data[0] & 1);
  if (ReadPeLayout(data, size, layout)) {
    Check(layout.sizeOfHeaders <= size && layout.sectionTableOffset < layout.sizeOfHeaders);
    Check(layout.sizeOfImage <= MaxImageSize(size));
    Check(layout.pe32plus == (layout.machine == IMAGE_FILE_MACHINE_AMD64));
    PagePlan plan;
    if (CheckSectionLayout(data, size, layout) && PlanPages(data, size, layout, {{0, 1}}, 4096, plan))
      Check(plan.protection.size() * 4096 >= layout.sizeOfImage && plan.protection[0] != 0);
    directories[0] = layout.relocations, directories[1] = layout.imports;
    directories[2] = layout.exports, directories[3] = layout.tls;
    pe32plus = layout.pe32plus;
  } else if (size >= sizeof(directories)) {
    memcpy(directories, data, sizeof(directories));  // a laid-out image with its directories up front
  }
  std::vector<uint8_t> image(data, data + size);
  ApplyRelocations(image.data(), image.size(), directories[0], 0x1234567810000ull, pe32plus);
  ImportTable imports;
  if (ReadImports(image.data(), image.size(), directories[1], pe32plus, imports)) {
    Check(imports.slotSize == (pe32plus ? 8u : 4u) && imports.names.size() <= size);
    for (const ImportModule& module : imports.modules) {
      Check(module.name < imports.names.size() && imports.Name(module.name)[0] != 0);
      for (const ImportThunk& thunk : module.thunks) {
        Check(RangeInside(thunk.slotRva, imports.slotSize, size));
        Check(thunk.byOrdinal || (thunk.name < imports.names.size() && imports.Name(thunk.name)[0] != 0));
      }
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
  uint64_t base = pe32plus ? 0x180000000ull : 0x10000000u;
  if (ReadTlsCallbacks(image.data(), image.size(), directories[3], base, pe32plus, callbacks, array))
    for (uint32_t callback : callbacks) Check(callback < size && array.end <= size);
  return 0;
}
