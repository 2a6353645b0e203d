#include "updater/pe_image.h"

#include <cstring>
#include <initializer_list>

namespace trr {
namespace {

bool DirectoryInside(const IMAGE_DATA_DIRECTORY& directory, uint32_t imageSize) {
  return directory.VirtualAddress == 0 || RangeInside(directory.VirtualAddress, directory.Size, imageSize);
}

// Reads the NT headers of one format (IMAGE_NT_HEADERS32 or IMAGE_NT_HEADERS64) into `layout`.
template <typename NtHeaders>
bool ReadOptionalHeader(const uint8_t* file, size_t size, uint32_t ntOffset, PeLayout& layout) {
  NtHeaders nt;
  if (!ReadAt(file, size, ntOffset, nt)) return false;
  if (nt.FileHeader.SizeOfOptionalHeader < sizeof(nt.OptionalHeader)) return false;
  const auto& optional = nt.OptionalHeader;
  uint32_t alignment = optional.SectionAlignment;
  if (alignment == 0 || (alignment & (alignment - 1)) != 0 || optional.SizeOfImage == 0) return false;
  if (optional.SizeOfImage > MaxImageSize(size)) return false;
  if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_BASERELOC) return false;
  uint64_t sectionTable = uint64_t(ntOffset) + offsetof(NtHeaders, OptionalHeader) +
                          nt.FileHeader.SizeOfOptionalHeader;
  uint64_t tableBytes = uint64_t(nt.FileHeader.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER);
  // The headers are copied from the file into the image: both must hold them, and they must hold the section
  // table, or a section could be placed over the headers that the loader writes to later.
  if (!RangeInside(0, optional.SizeOfHeaders, size) || optional.SizeOfHeaders > optional.SizeOfImage) return false;
  if (sectionTable + tableBytes > optional.SizeOfHeaders) return false;
  layout.fileCharacteristics = nt.FileHeader.Characteristics;
  layout.imageBase = optional.ImageBase;
  layout.imageBaseOffset = static_cast<uint32_t>(ntOffset + offsetof(NtHeaders, OptionalHeader.ImageBase));
  layout.sizeOfImage = optional.SizeOfImage;
  layout.sizeOfHeaders = optional.SizeOfHeaders;
  layout.sectionAlignment = alignment;
  layout.entryPoint = optional.AddressOfEntryPoint;
  layout.sectionTableOffset = static_cast<uint32_t>(sectionTable);
  layout.sectionCount = nt.FileHeader.NumberOfSections;
  layout.directoryCount = optional.NumberOfRvaAndSizes < IMAGE_NUMBEROF_DIRECTORY_ENTRIES
                              ? optional.NumberOfRvaAndSizes
                              : IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
  for (uint32_t i = 0; i < layout.directoryCount; ++i) layout.directories[i] = optional.DataDirectory[i];
  return true;
}

}  // namespace

bool RangeInside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

uint64_t MaxImageSize(uint64_t fileSize) { return 16 * fileSize + (1u << 20); }

bool ReadPeLayout(const uint8_t* file, size_t size, PeLayout& layout) {
  layout = PeLayout();
  IMAGE_DOS_HEADER dos;
  if (!file || !ReadAt(file, size, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
  uint32_t ntOffset = static_cast<uint32_t>(dos.e_lfanew);
  DWORD signature;
  IMAGE_FILE_HEADER fileHeader;
  WORD magic;
  if (!ReadAt(file, size, ntOffset, signature) || signature != IMAGE_NT_SIGNATURE) return false;
  if (!ReadAt(file, size, uint64_t(ntOffset) + sizeof(signature), fileHeader)) return false;
  if (!ReadAt(file, size, uint64_t(ntOffset) + sizeof(signature) + sizeof(fileHeader), magic)) return false;
  bool read;
  if (fileHeader.Machine == IMAGE_FILE_MACHINE_I386 && magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    read = ReadOptionalHeader<IMAGE_NT_HEADERS32>(file, size, ntOffset, layout);
  else if (fileHeader.Machine == IMAGE_FILE_MACHINE_AMD64 && magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    read = ReadOptionalHeader<IMAGE_NT_HEADERS64>(file, size, ntOffset, layout);
  else
    return false;
  if (!read) {
    layout = PeLayout();
    return false;
  }
  layout.ntOffset = ntOffset;
  layout.machine = fileHeader.Machine;
  layout.pe32plus = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  layout.exports = layout.directories[IMAGE_DIRECTORY_ENTRY_EXPORT];
  layout.imports = layout.directories[IMAGE_DIRECTORY_ENTRY_IMPORT];
  // Only 64-bit code unwinds through the function table; a 32-bit image's entry is not read.
  if (layout.pe32plus) layout.exceptions = layout.directories[IMAGE_DIRECTORY_ENTRY_EXCEPTION];
  layout.relocations = layout.directories[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  layout.tls = layout.directories[IMAGE_DIRECTORY_ENTRY_TLS];
  for (const IMAGE_DATA_DIRECTORY* used :
       {&layout.exports, &layout.imports, &layout.exceptions, &layout.relocations, &layout.tls})
    if (!DirectoryInside(*used, layout.sizeOfImage)) return false;
  if (layout.entryPoint >= layout.sizeOfImage) return false;
  return true;
}

uint32_t SectionMappedSize(const IMAGE_SECTION_HEADER& section, const PeLayout& layout) {
  uint32_t virtualSize = section.Misc.VirtualSize;
  uint32_t mapped = virtualSize > section.SizeOfRawData ? virtualSize : section.SizeOfRawData;
  return mapped ? mapped : layout.sectionAlignment;
}

bool ReadSection(const uint8_t* file, size_t size, const PeLayout& layout, unsigned index,
                 IMAGE_SECTION_HEADER& section) {
  if (index >= layout.sectionCount) return false;
  if (!ReadAt(file, size, uint64_t(layout.sectionTableOffset) + uint64_t(index) * sizeof(section), section))
    return false;
  if (section.SizeOfRawData && !RangeInside(section.PointerToRawData, section.SizeOfRawData, size)) return false;
  if (section.VirtualAddress < layout.sizeOfHeaders) return false;
  // Raw data beyond the virtual size is padding and is not copied, but it must still fit in the image.
  return RangeInside(section.VirtualAddress, SectionMappedSize(section, layout), layout.sizeOfImage);
}

bool CheckSectionLayout(const uint8_t* file, size_t size, const PeLayout& layout) {
  uint64_t previousEnd = layout.sizeOfHeaders;
  for (unsigned i = 0; i < layout.sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadSection(file, size, layout, i, section)) return false;
    if (section.VirtualAddress % layout.sectionAlignment != 0 || section.VirtualAddress < previousEnd) return false;
    previousEnd = uint64_t(section.VirtualAddress) + SectionMappedSize(section, layout);
  }
  return true;
}

}  // namespace trr
