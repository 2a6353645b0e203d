#include "updater/image_pages.h"

namespace trr {
namespace {

constexpr uint32_t kAccessFlags = IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE;

uint32_t ProtectionFor(uint32_t characteristics) {
  bool execute = characteristics & IMAGE_SCN_MEM_EXECUTE;
  bool read = characteristics & IMAGE_SCN_MEM_READ;
  bool write = characteristics & IMAGE_SCN_MEM_WRITE;
  uint32_t protection;
  if (execute)
    protection = write ? PAGE_EXECUTE_READWRITE : read ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
  else
    protection = write ? PAGE_READWRITE : read ? PAGE_READONLY : PAGE_NOACCESS;
  // The system refuses the no-cache modifier together with no access.
  if ((characteristics & IMAGE_SCN_MEM_NOT_CACHED) && protection != PAGE_NOACCESS) protection |= PAGE_NOCACHE;
  return protection;
}

bool Readable(uint32_t protection) {
  // Execute-only pages count as unreadable, as the system documents them.
  switch (protection & 0xFF) {
    case PAGE_READONLY:
    case PAGE_READWRITE:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool PlanPages(const uint8_t* file, size_t size, const PeLayout& layout, const std::vector<RvaRange>& inUse,
               uint32_t pageSize, PagePlan& plan) {
  plan = PagePlan();
  if (pageSize == 0 || (pageSize & (pageSize - 1)) != 0) return false;
  size_t pages = (uint64_t(layout.sizeOfImage) + pageSize - 1) / pageSize;
  std::vector<uint32_t> access(pages, 0);
  std::vector<uint32_t> discardable(pages, 0);  // bytes of the page inside discardable sections
  std::vector<uint8_t> firm(pages, 0);          // the page holds something that must stay
  auto mark = [&](uint64_t begin, uint64_t end, uint32_t characteristics, bool keep) {
    if (end > layout.sizeOfImage) end = layout.sizeOfImage;
    for (uint64_t at = begin; at < end;) {
      size_t page = static_cast<size_t>(at / pageSize);
      uint64_t pageEnd = uint64_t(page + 1) * pageSize;
      uint64_t stop = end < pageEnd ? end : pageEnd;
      access[page] |= characteristics;
      if (keep)
        firm[page] = 1;
      else
        discardable[page] += static_cast<uint32_t>(stop - at);
      at = stop;
    }
  };
  mark(0, layout.sizeOfHeaders, IMAGE_SCN_MEM_READ, true);
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadSection(file, size, layout, i, section)) return false;
    uint32_t characteristics = section.Characteristics & (kAccessFlags | IMAGE_SCN_MEM_NOT_CACHED);
    mark(section.VirtualAddress, uint64_t(section.VirtualAddress) + SectionMappedSize(section, layout),
         characteristics, !(section.Characteristics & IMAGE_SCN_MEM_DISCARDABLE));
  }
  for (const RvaRange& range : inUse) mark(range.begin, range.end, 0, true);
  plan.pageSize = pageSize;
  plan.protection.resize(pages);
  plan.readable.resize(pages);
  for (size_t page = 0; page < pages; ++page) {
    bool giveBack = !firm[page] && discardable[page] == pageSize;
    plan.protection[page] = giveBack ? 0 : ProtectionFor(access[page]);
    plan.readable[page] = Readable(plan.protection[page]);
  }
  return true;
}

bool PlannedExecutable(const PagePlan& plan, uint32_t rva) {
  size_t page = plan.pageSize ? rva / plan.pageSize : plan.protection.size();
  if (page >= plan.protection.size()) return false;
  switch (plan.protection[page] & 0xFF) {
    case PAGE_EXECUTE:
    case PAGE_EXECUTE_READ:
    case PAGE_EXECUTE_READWRITE:
      return true;
    default:
      return false;
  }
}

ImageView PlannedView(const PagePlan& plan, const uint8_t* base, uint32_t sizeOfImage) {
  ImageView view;
  view.bytes = base;
  view.size = sizeOfImage;
  view.readablePages = plan.readable.data();
  view.pageSize = plan.pageSize;
  return view;
}

}  // namespace trr
