#include "updater/pe_image.h"

#include <cstring>

namespace trr {
namespace {

template <typename T>
bool ReadAt(const uint8_t* bytes, size_t size, uint64_t offset, T& out) {
  if (!RangeInside(offset, sizeof(T), size)) return false;
  std::memcpy(&out, bytes + offset, sizeof(T));
  return true;
}

// A zero-terminated name starting at `offset`, read only up to the end of the buffer.
bool ReadName(const uint8_t* bytes, size_t size, uint64_t offset, std::string& out) {
  if (offset >= size) return false;
  const void* end = std::memchr(bytes + offset, 0, size - static_cast<size_t>(offset));
  if (!end) return false;
  out.assign(reinterpret_cast<const char*>(bytes + offset), static_cast<const uint8_t*>(end) - (bytes + offset));
  return true;
}

bool DirectoryInside(const IMAGE_DATA_DIRECTORY& directory, uint32_t imageSize) {
  return directory.VirtualAddress == 0 || RangeInside(directory.VirtualAddress, directory.Size, imageSize);
}

}  // namespace

bool RangeInside(uint64_t offset, uint64_t length, uint64_t size) {
  return offset <= size && length <= size - offset;
}

bool ReadPeLayout(const uint8_t* file, size_t size, PeLayout& layout) {
  layout = PeLayout();
  IMAGE_DOS_HEADER dos;
  if (!file || !ReadAt(file, size, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
  uint32_t ntOffset = static_cast<uint32_t>(dos.e_lfanew);
  IMAGE_NT_HEADERS32 nt;
  if (!ReadAt(file, size, ntOffset, nt) || nt.Signature != IMAGE_NT_SIGNATURE) return false;
  if (nt.FileHeader.Machine != IMAGE_FILE_MACHINE_I386) return false;
  if (nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return false;
  if (nt.FileHeader.SizeOfOptionalHeader < sizeof(IMAGE_OPTIONAL_HEADER32)) return false;
  const IMAGE_OPTIONAL_HEADER32& optional = nt.OptionalHeader;
  if (optional.SectionAlignment == 0 || optional.SizeOfImage == 0) return false;
  if (optional.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_BASERELOC) return false;
  uint64_t sectionTable = uint64_t(ntOffset) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                          nt.FileHeader.SizeOfOptionalHeader;
  uint64_t tableBytes = uint64_t(nt.FileHeader.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER);
  if (!RangeInside(sectionTable, tableBytes, size)) return false;
  // The headers are copied from the file into the image: both must hold them.
  if (!RangeInside(0, optional.SizeOfHeaders, size) || optional.SizeOfHeaders > optional.SizeOfImage) return false;
  if (sectionTable + tableBytes > optional.SizeOfImage) return false;
  layout.ntOffset = ntOffset;
  layout.imageBase = optional.ImageBase;
  layout.sizeOfImage = optional.SizeOfImage;
  layout.sizeOfHeaders = optional.SizeOfHeaders;
  layout.sectionAlignment = optional.SectionAlignment;
  layout.entryPoint = optional.AddressOfEntryPoint;
  layout.sectionTableOffset = static_cast<uint32_t>(sectionTable);
  layout.sectionCount = nt.FileHeader.NumberOfSections;
  layout.exports = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  layout.imports = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  layout.relocations = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  if (!DirectoryInside(layout.exports, layout.sizeOfImage) || !DirectoryInside(layout.imports, layout.sizeOfImage) ||
      !DirectoryInside(layout.relocations, layout.sizeOfImage))
    return false;
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

bool ApplyRelocations(uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, uint32_t delta) {
  if (directory.VirtualAddress == 0 || directory.Size == 0) return true;
  if (!RangeInside(directory.VirtualAddress, directory.Size, imageSize)) return false;
  uint64_t offset = directory.VirtualAddress;
  uint64_t end = offset + directory.Size;
  while (offset + sizeof(IMAGE_BASE_RELOCATION) <= end) {
    IMAGE_BASE_RELOCATION block;
    if (!ReadAt(image, imageSize, offset, block)) return false;
    if (block.SizeOfBlock == 0 && block.VirtualAddress == 0) break;  // padding at the end of the directory
    if (block.SizeOfBlock < sizeof(block) || !RangeInside(offset, block.SizeOfBlock, end)) return false;
    uint32_t entries = (block.SizeOfBlock - sizeof(block)) / sizeof(uint16_t);
    for (uint32_t i = 0; i < entries; ++i) {
      uint16_t entry;
      if (!ReadAt(image, imageSize, offset + sizeof(block) + i * sizeof(uint16_t), entry)) return false;
      unsigned type = entry >> 12;
      if (type != IMAGE_REL_BASED_HIGHLOW) continue;
      uint64_t target = uint64_t(block.VirtualAddress) + (entry & 0x0FFF);
      uint32_t value;
      if (!ReadAt(image, imageSize, target, value)) return false;
      value += delta;
      std::memcpy(image + target, &value, sizeof(value));
    }
    offset += block.SizeOfBlock;
  }
  return true;
}

bool ReadImports(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                 std::vector<ImportModule>& modules) {
  modules.clear();
  if (directory.VirtualAddress == 0) return true;
  for (uint64_t offset = directory.VirtualAddress;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    if (!ReadAt(image, imageSize, offset, descriptor)) return false;
    if (descriptor.Name == 0) break;
    ImportModule module;
    if (!ReadName(image, imageSize, descriptor.Name, module.name) || module.name.empty()) return false;
    uint32_t lookup = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    if (lookup == 0 || descriptor.FirstThunk == 0) return false;
    for (uint64_t i = 0;; ++i) {
      uint32_t thunk;
      if (!ReadAt(image, imageSize, lookup + i * 4, thunk)) return false;
      if (thunk == 0) break;
      ImportThunk entry;
      entry.slotRva = static_cast<uint32_t>(descriptor.FirstThunk + i * 4);
      if (!RangeInside(entry.slotRva, 4, imageSize)) return false;
      if (thunk & IMAGE_ORDINAL_FLAG32) {
        entry.byOrdinal = true;
        entry.ordinal = static_cast<uint16_t>(thunk & 0xFFFF);
      } else if (!ReadName(image, imageSize, uint64_t(thunk) + 2, entry.name) || entry.name.empty()) {
        return false;  // IMAGE_IMPORT_BY_NAME: a 16-bit hint, then the name
      }
      module.thunks.push_back(std::move(entry));
    }
    modules.push_back(std::move(module));
  }
  return true;
}

uint32_t FindExportRva(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                       const char* name) {
  if (directory.VirtualAddress == 0 || directory.Size == 0 || !name) return 0;
  IMAGE_EXPORT_DIRECTORY exports;
  if (!ReadAt(image, imageSize, directory.VirtualAddress, exports)) return 0;
  if (exports.NumberOfNames == 0 || exports.NumberOfFunctions == 0) return 0;
  if (!RangeInside(exports.AddressOfNames, uint64_t(exports.NumberOfNames) * 4, imageSize) ||
      !RangeInside(exports.AddressOfNameOrdinals, uint64_t(exports.NumberOfNames) * 2, imageSize) ||
      !RangeInside(exports.AddressOfFunctions, uint64_t(exports.NumberOfFunctions) * 4, imageSize))
    return 0;
  size_t wantedLength = std::strlen(name);
  for (uint32_t i = 0; i < exports.NumberOfNames; ++i) {
    uint32_t nameRva;
    std::memcpy(&nameRva, image + exports.AddressOfNames + uint64_t(i) * 4, 4);
    // Compare within the image only: the candidate needs the wanted bytes plus its terminating zero.
    if (!RangeInside(nameRva, wantedLength + 1, imageSize)) {
      if (nameRva >= imageSize) return 0;
      continue;
    }
    if (std::memcmp(image + nameRva, name, wantedLength + 1) != 0) continue;
    uint16_t ordinal;
    std::memcpy(&ordinal, image + exports.AddressOfNameOrdinals + uint64_t(i) * 2, 2);
    if (ordinal >= exports.NumberOfFunctions) return 0;
    uint32_t functionRva;
    std::memcpy(&functionRva, image + exports.AddressOfFunctions + uint64_t(ordinal) * 4, 4);
    if (functionRva == 0 || functionRva >= imageSize) return 0;
    // A forwarder points back into the export directory; the mapper cannot follow it.
    if (RangeInside(functionRva, 1, uint64_t(directory.VirtualAddress) + directory.Size) &&
        functionRva >= directory.VirtualAddress)
      return 0;
    return functionRva;
  }
  return 0;
}

}  // namespace trr
