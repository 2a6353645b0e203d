// Checked reading of a 32-bit PE image, for the in-memory loader. Every offset and size taken from the image
// is checked against the bytes that hold it before anything is read there: the file for headers and section
// raw data, the mapped image (SizeOfImage bytes) for relocations, imports and exports. Pure: no system calls.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trr {

// True when [offset, offset + length) lies inside [0, size), without overflow.
bool RangeInside(uint64_t offset, uint64_t length, uint64_t size);

struct PeLayout {
  uint32_t ntOffset = 0;
  uint32_t imageBase = 0;
  uint32_t sizeOfImage = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t sectionAlignment = 0;
  uint32_t entryPoint = 0;  // RVA, 0 when none
  uint32_t sectionTableOffset = 0;
  uint16_t sectionCount = 0;
  IMAGE_DATA_DIRECTORY exports = {};
  IMAGE_DATA_DIRECTORY imports = {};
  IMAGE_DATA_DIRECTORY relocations = {};
};

// Reads and checks the DOS header, "PE\0\0" signature, file header and 32-bit optional header of a file image
// of `size` bytes. False when the image is truncated, a signature or the machine is wrong, the optional header
// is not PE32, the headers or section table leave the file or the image, or a data directory or the entry point
// leaves the image.
bool ReadPeLayout(const uint8_t* file, size_t size, PeLayout& layout);

// Section `index` of the table, checked: its raw data lies inside the file and its virtual range
// (max(virtual size, raw size), or one section alignment when both are 0) inside the image. False otherwise.
bool ReadSection(const uint8_t* file, size_t size, const PeLayout& layout, unsigned index,
                 IMAGE_SECTION_HEADER& section);

// Bytes of the image that a section occupies once mapped.
uint32_t SectionMappedSize(const IMAGE_SECTION_HEADER& section, const PeLayout& layout);

// Adds `delta` to every 32-bit absolute (type 3) target of the relocation directory of the mapped `image`
// (`imageSize` bytes); other entry types are skipped. False when a block header or a target leaves the
// directory or the image, or a block is shorter than its header; some targets may then already be moved.
bool ApplyRelocations(uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, uint32_t delta);

struct ImportThunk {
  uint32_t slotRva = 0;  // where the resolved address is written (import address table entry)
  bool byOrdinal = false;
  uint16_t ordinal = 0;
  std::string name;
};

struct ImportModule {
  std::string name;
  std::vector<ImportThunk> thunks;
};

// The import descriptors of the mapped `image`, up to the all-zero one or the first without a name. False
// when a descriptor, a name (with its terminating zero), a thunk array or a slot leaves the image.
bool ReadImports(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                 std::vector<ImportModule>& modules);

// RVA of the function exported under `name` (case-sensitive) by the mapped `image`; 0 when there is no export
// directory, no such name, the ordinal is out of range, or any table, name or entry leaves the image.
uint32_t FindExportRva(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                       const char* name);

}  // namespace trr
