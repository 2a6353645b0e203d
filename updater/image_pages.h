// The final state of every page of a mapped image, decided before any page is protected. Sections smaller than
// a page share pages with each other and with the headers, so a page gets the combined access of everything on
// it, and only a page that discardable sections fill alone, holding nothing still in use, is given back. Pure:
// no system calls.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "updater/pe_image.h"
#include "updater/pe_tables.h"

namespace trr {

struct PagePlan {
  uint32_t pageSize = 0;
  std::vector<uint32_t> protection;  // PAGE_* per page of the image; 0 for a page that is decommitted
  std::vector<uint8_t> readable;     // 1 per page that can be read once the plan is applied
};

// Plans the pages of the image described by `layout` (sections read from `file`, `size` bytes): each page gets
// the union of the access of the sections on it, the headers counting as readable; a page with none of them is
// no-access. A page is decommitted only when discardable sections cover it whole, no other section or the headers
// touch it, and none of the `inUse` ranges touches it. False when `pageSize` is not a power of two or a section
// cannot be read.
bool PlanPages(const uint8_t* file, size_t size, const PeLayout& layout, const std::vector<RvaRange>& inUse,
               uint32_t pageSize, PagePlan& plan);

// True when the plan leaves the page holding `rva` committed and executable.
bool PlannedExecutable(const PagePlan& plan, uint32_t rva);

// The mapped image at `base` as a view that reads only the pages the plan keeps readable.
ImageView PlannedView(const PagePlan& plan, const uint8_t* base, uint32_t sizeOfImage);

}  // namespace trr
