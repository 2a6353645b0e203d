// Checked reading of the tables of a mapped PE32 or PE32+ image (SizeOfImage bytes laid out at their RVAs):
// base relocations, imports, exports and the TLS callbacks. Every RVA is checked against the image before it is
// read, every name is read only up to the image's end, and the work that a table can ask for is bounded by the
// image size. `pe32plus` selects the 64-bit forms of import thunks, TLS directory and callback array. Pure: no
// system calls.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace trr {

// The bytes of a mapped image that may be read. With a page map, only pages whose entry is non-zero are read;
// without one, the whole image.
struct ImageView {
  const uint8_t* bytes = nullptr;
  uint64_t size = 0;
  const uint8_t* readablePages = nullptr;
  uint32_t pageSize = 0;

  // True when [offset, offset + length) lies inside the image and on readable pages only.
  bool CanRead(uint64_t offset, uint64_t length) const;
};

// A stretch of RVAs, [begin, end).
struct RvaRange {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// Moves the mapped `image` (`imageSize` bytes) by `delta` through its relocation directory: a 32-bit absolute
// (type 3) target gains the low 32 bits of `delta`, a 64-bit (type 10) target of a PE32+ image all of it; other
// entry types, padding included, are skipped. False when the directory holds no block (absent, empty or padding
// only: an image that must move cannot run unmoved), or a block header or a target leaves the directory or the
// image, or a block is shorter than its header; some targets may then already be moved.
bool ApplyRelocations(uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, uint64_t delta,
                      bool pe32plus);

struct ImportThunk {
  uint32_t slotRva = 0;  // where the resolved address is written (import address table entry)
  bool byOrdinal = false;
  uint16_t ordinal = 0;
  uint32_t name = 0;  // offset of the function's name in ImportTable::names, when imported by name
};

struct ImportModule {
  uint32_t name = 0;  // offset of the module's name in ImportTable::names
  std::vector<ImportThunk> thunks;
};

// What the import directory asks for, with every name copied out of the image, so that filling the slots later
// cannot change a name that is still to be read.
struct ImportTable {
  std::vector<ImportModule> modules;
  std::vector<char> names;  // the names, each followed by its zero
  uint32_t slotSize = 4;     // bytes of a slot: 4 in a PE32 image, 8 in a PE32+ image

  const char* Name(uint32_t offset) const { return names.data() + offset; }
};

// The import descriptors of the mapped `image`, up to the all-zero one or the first without a name. The bytes
// visited (descriptors, thunks, names) may add up to the image size at most: a sound image holds each of them
// once, while descriptors that share one thunk array could otherwise ask for work far beyond it. False when a
// descriptor, a name (not ended by a zero inside the image), a thunk array or a slot leaves the image, a name is
// empty, or that bound is passed.
bool ReadImports(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, bool pe32plus,
                 ImportTable& table);

// RVA of the function exported under `name` (case-sensitive) by the mapped image; 0 when there is no export
// directory, no such name, the ordinal is out of range, the function is a forwarder, or any table, name or entry
// that the lookup would read is not readable in `image`.
uint32_t FindExportRva(const ImageView& image, const IMAGE_DATA_DIRECTORY& directory, const char* name);

// Adds what an export lookup or a call of an export reads: the export directory, its three tables, each name
// and the first byte of each function. Names are followed up to their zero within a budget of the image size;
// a name beyond it or leaving the image adds only its first byte. Never fails: a table outside adds nothing.
void AddExportRanges(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                     std::vector<RvaRange>& ranges);

// The RVAs of the TLS callbacks of the mapped `image` now at `imageBase` (the directory holds addresses, moved
// by the relocations), in their order, and the callback array in `arrayRange`. True with none when there is no
// TLS directory or no callback array. False when the directory, the array or a callback leaves the image.
bool ReadTlsCallbacks(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                      uint64_t imageBase, bool pe32plus, std::vector<uint32_t>& callbacks, RvaRange& arrayRange);

}  // namespace trr
