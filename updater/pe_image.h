// Checked reading of a PE image's headers and section table, for the in-memory loader: 32-bit (PE32, i386) and
// 64-bit (PE32+, x86-64) images alike. Every offset and size taken from the image is checked against the bytes
// that hold it before anything is read there: the file for headers and section raw data, the mapped image
// (SizeOfImage bytes) for the tables (pe_tables.h). Pure: no system calls.
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

// The largest SizeOfImage accepted for a file of `fileSize` bytes: 16 times the file plus 1 MiB. Section
// alignment spreads a file's raw data over a few times its size and uninitialised data adds some more, which a
// real DLL keeps well within this; a few-KB file that claims hundreds of MB would only make the loader commit
// memory that nothing fills.
uint64_t MaxImageSize(uint64_t fileSize);

struct PeLayout {
  uint32_t ntOffset = 0;
  uint16_t machine = 0;              // IMAGE_FILE_MACHINE_I386 with PE32, IMAGE_FILE_MACHINE_AMD64 with PE32+
  bool pe32plus = false;             // 64-bit addresses: image base, import thunks, TLS directory
  uint16_t fileCharacteristics = 0;  // IMAGE_FILE_* flags of the file header
  uint64_t imageBase = 0;
  uint32_t imageBaseOffset = 0;      // file offset of the optional header's ImageBase field (4 or 8 bytes)
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
  IMAGE_DATA_DIRECTORY exceptions = {};  // the function table of a PE32+ image; zero when none or PE32
  IMAGE_DATA_DIRECTORY relocations = {};
  IMAGE_DATA_DIRECTORY tls = {};

  // Bytes of an address held in the image: an import slot, a TLS callback entry.
  uint32_t PointerSize() const { return pe32plus ? 8 : 4; }
};

// Reads and checks the DOS header, "PE\0\0" signature, file header and optional header of a file image of `size`
// bytes; the values are kept in `layout`, nothing points into the file. False when the image is truncated, a
// signature is wrong, the machine and optional header are not i386 with PE32 or x86-64 with PE32+, the section
// alignment is not a power of two, SizeOfImage exceeds MaxImageSize(size), SizeOfHeaders does not cover the
// section table or exceeds the file or the image, or the export, import, exception, relocation or TLS directory
// or the entry point leaves the image.
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
