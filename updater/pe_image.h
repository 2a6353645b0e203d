// Checked reading of a 32-bit PE image's headers and section table, for the in-memory loader. Every offset and
// size taken from the image is checked against the bytes that hold it before anything is read there: the file
// for headers and section raw data, the mapped image (SizeOfImage bytes) for the tables (pe_tables.h).
// Pure: no system calls.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trr {

// True when [offset, offset + length) lies inside [0, size), without overflow.
bool RangeInside(uint64_t offset, uint64_t length, uint64_t size);

// Copies a T from `offset` of `size` bytes; false (and `out` untouched) when it does not lie wholly inside.
template <typename T>
bool ReadAt(const uint8_t* bytes, size_t size, uint64_t offset, T& out) {
  if (!RangeInside(offset, sizeof(T), size)) return false;
  std::memcpy(&out, bytes + offset, sizeof(T));
  return true;
}

struct PeLayout {
  uint32_t ntOffset = 0;
  uint16_t fileCharacteristics = 0;  // IMAGE_FILE_* flags of the file header
  uint32_t imageBase = 0;
  uint32_t sizeOfImage = 0;
  uint32_t sizeOfHeaders = 0;
  uint32_t sectionAlignment = 0;
  uint32_t entryPoint = 0;  // RVA, 0 when none
  uint32_t sectionTableOffset = 0;
  uint16_t sectionCount = 0;
  uint32_t directoryCount = 0;  // data directories the optional header carries, at most 16
  IMAGE_DATA_DIRECTORY directories[IMAGE_NUMBEROF_DIRECTORY_ENTRIES] = {};
  IMAGE_DATA_DIRECTORY exports = {};
  IMAGE_DATA_DIRECTORY imports = {};
  IMAGE_DATA_DIRECTORY relocations = {};
  IMAGE_DATA_DIRECTORY tls = {};
};

// Reads and checks the DOS header, "PE\0\0" signature, file header and 32-bit optional header of a file image
// of `size` bytes; the values are kept in `layout`, nothing points into the file. False when the image is
// truncated, a signature or the machine is wrong, the optional header is not PE32, the section alignment is not
// a power of two, SizeOfHeaders does not cover the section table or exceeds the file or the image, or the export,
// import, relocation or TLS directory or the entry point leaves the image.
bool ReadPeLayout(const uint8_t* file, size_t size, PeLayout& layout);

// Section `index` of the table, checked: its raw data lies inside the file and its virtual range
// (max(virtual size, raw size), or one section alignment when both are 0) inside the image, after the headers.
// False otherwise.
bool ReadSection(const uint8_t* file, size_t size, const PeLayout& layout, unsigned index,
                 IMAGE_SECTION_HEADER& section);

// True when every section reads back with ReadSection, starts on a multiple of the section alignment, and
// starts at or after the end of the section before it (the table is in ascending order, without overlap).
bool CheckSectionLayout(const uint8_t* file, size_t size, const PeLayout& layout);

// Bytes of the image that a section occupies once mapped.
uint32_t SectionMappedSize(const IMAGE_SECTION_HEADER& section, const PeLayout& layout);

}  // namespace trr
