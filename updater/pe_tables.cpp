#include "updater/pe_tables.h"

#include <cstring>

#include "updater/pe_image.h"

namespace trr {
namespace {

template <typename T>
bool ReadAt(const ImageView& image, uint64_t offset, T& out) {
  if (!image.CanRead(offset, sizeof(T))) return false;
  std::memcpy(&out, image.bytes + offset, sizeof(T));
  return true;
}

// Image bytes that a table reader may still visit.
struct Budget {
  uint64_t left;
  bool Spend(uint64_t bytes) {
    if (bytes > left) return false;
    left -= bytes;
    return true;
  }
};

// Length of the zero-terminated name at `offset`, searched only within the image and the budget, which pays for
// the name and its zero; false when no zero lies within both.
bool NameLength(const uint8_t* image, size_t imageSize, uint64_t offset, Budget& budget, size_t& length) {
  if (offset >= imageSize) return false;
  uint64_t span = imageSize - offset < budget.left ? imageSize - offset : budget.left;
  const void* end = std::memchr(image + offset, 0, static_cast<size_t>(span));
  if (!end) return false;
  length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (image + offset));
  return budget.Spend(length + 1);
}

// Appends the non-empty zero-terminated name at `offset` of the image, with its zero, to `names`, and gives its
// position there in `at`; false when it is empty or does not end inside the image and the budget.
bool CopyName(const uint8_t* image, size_t imageSize, uint64_t offset, Budget& budget, std::vector<char>& names,
              uint32_t& at) {
  size_t length = 0;
  if (!NameLength(image, imageSize, offset, budget, length) || length == 0) return false;
  at = static_cast<uint32_t>(names.size());
  names.insert(names.end(), image + offset, image + offset + length + 1);
  return true;
}

// Reads an address-sized value of the image: 8 bytes in a PE32+ image, 4 in a PE32 image.
bool ReadPointer(const uint8_t* image, size_t imageSize, uint64_t offset, bool pe32plus, uint64_t& value) {
  if (pe32plus) return trr::ReadAt(image, imageSize, offset, value);
  uint32_t narrow;
  if (!trr::ReadAt(image, imageSize, offset, narrow)) return false;
  value = narrow;
  return true;
}

// Appends [begin, end) clipped to the image, joined to the last range when the two touch.
void AddRange(std::vector<RvaRange>& ranges, uint64_t begin, uint64_t end, uint64_t imageSize) {
  if (end > imageSize) end = imageSize;
  if (begin >= end) return;
  if (!ranges.empty() && begin <= ranges.back().end && end >= ranges.back().begin) {
    if (begin < ranges.back().begin) ranges.back().begin = begin;
    if (end > ranges.back().end) ranges.back().end = end;
    return;
  }
  ranges.push_back(RvaRange{begin, end});
}

}  // namespace

bool ImageView::CanRead(uint64_t offset, uint64_t length) const {
  if (!RangeInside(offset, length, size)) return false;
  if (!readablePages || length == 0) return true;
  for (uint64_t page = offset / pageSize; page <= (offset + length - 1) / pageSize; ++page)
    if (!readablePages[page]) return false;
  return true;
}

bool ApplyRelocations(uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, uint64_t delta,
                      bool pe32plus) {
  if (directory.VirtualAddress == 0 || !RangeInside(directory.VirtualAddress, directory.Size, imageSize))
    return false;
  uint64_t offset = directory.VirtualAddress;
  uint64_t end = offset + directory.Size;
  bool blocks = false;
  while (offset + sizeof(IMAGE_BASE_RELOCATION) <= end) {
    IMAGE_BASE_RELOCATION block;
    if (!ReadAt(image, imageSize, offset, block)) return false;
    if (block.SizeOfBlock == 0 && block.VirtualAddress == 0) break;  // padding at the end of the directory
    if (block.SizeOfBlock < sizeof(block) || !RangeInside(offset, block.SizeOfBlock, end)) return false;
    blocks = true;
    uint32_t entries = (block.SizeOfBlock - sizeof(block)) / sizeof(uint16_t);
    for (uint32_t i = 0; i < entries; ++i) {
      uint16_t entry;
      if (!ReadAt(image, imageSize, offset + sizeof(block) + i * sizeof(uint16_t), entry)) return false;
      unsigned type = entry >> 12;
      uint64_t target = uint64_t(block.VirtualAddress) + (entry & 0x0FFF);
      if (type == IMAGE_REL_BASED_HIGHLOW) {
        uint32_t value;
        if (!ReadAt(image, imageSize, target, value)) return false;
        value += static_cast<uint32_t>(delta);
        std::memcpy(image + target, &value, sizeof(value));
      } else if (type == IMAGE_REL_BASED_DIR64 && pe32plus) {
        uint64_t value;
        if (!ReadAt(image, imageSize, target, value)) return false;
        value += delta;
        std::memcpy(image + target, &value, sizeof(value));
      }
    }
    offset += block.SizeOfBlock;
  }
  return blocks;
}

bool ReadImports(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory, bool pe32plus,
                 ImportTable& table) {
  table = ImportTable();
  table.slotSize = pe32plus ? 8 : 4;
  if (directory.VirtualAddress == 0) return true;
  const uint64_t ordinalFlag = pe32plus ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
  const uint32_t width = table.slotSize;
  Budget budget{imageSize};
  for (uint64_t offset = directory.VirtualAddress;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    if (!budget.Spend(sizeof(descriptor)) || !ReadAt(image, imageSize, offset, descriptor)) return false;
    if (descriptor.Name == 0) break;
    ImportModule module;
    if (!CopyName(image, imageSize, descriptor.Name, budget, table.names, module.name)) return false;
    uint32_t lookup = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
    if (lookup == 0 || descriptor.FirstThunk == 0) return false;
    for (uint64_t i = 0;; ++i) {
      uint64_t thunk;
      if (!budget.Spend(width) || !ReadPointer(image, imageSize, lookup + i * width, pe32plus, thunk)) return false;
      if (thunk == 0) break;
      ImportThunk entry;
      uint64_t slot = descriptor.FirstThunk + i * width;
      if (!RangeInside(slot, width, imageSize)) return false;
      entry.slotRva = static_cast<uint32_t>(slot);
      if (thunk & ordinalFlag) {
        entry.byOrdinal = true;
        entry.ordinal = static_cast<uint16_t>(thunk & 0xFFFF);
      } else {
        // IMAGE_IMPORT_BY_NAME: a 16-bit hint, then the name
        if (!budget.Spend(2) || !CopyName(image, imageSize, thunk + 2, budget, table.names, entry.name)) return false;
      }
      module.thunks.push_back(entry);
    }
    table.modules.push_back(std::move(module));
  }
  return true;
}

uint32_t FindExportRva(const ImageView& image, const IMAGE_DATA_DIRECTORY& directory, const char* name) {
  if (directory.VirtualAddress == 0 || directory.Size == 0 || !name) return 0;
  IMAGE_EXPORT_DIRECTORY exports;
  if (!ReadAt(image, directory.VirtualAddress, exports)) return 0;
  if (exports.NumberOfNames == 0 || exports.NumberOfFunctions == 0) return 0;
  if (!RangeInside(exports.AddressOfNames, uint64_t(exports.NumberOfNames) * 4, image.size) ||
      !RangeInside(exports.AddressOfNameOrdinals, uint64_t(exports.NumberOfNames) * 2, image.size) ||
      !RangeInside(exports.AddressOfFunctions, uint64_t(exports.NumberOfFunctions) * 4, image.size))
    return 0;
  size_t wantedLength = std::strlen(name);
  for (uint32_t i = 0; i < exports.NumberOfNames; ++i) {
    uint32_t nameRva;
    if (!ReadAt(image, exports.AddressOfNames + uint64_t(i) * 4, nameRva)) return 0;
    if (nameRva >= image.size) return 0;
    // Compare only readable bytes: the candidate needs the wanted bytes plus its terminating zero, and a name
    // that cannot be read that far cannot be the wanted one.
    if (!image.CanRead(nameRva, wantedLength + 1)) continue;
    if (std::memcmp(image.bytes + nameRva, name, wantedLength + 1) != 0) continue;
    uint16_t ordinal;
    if (!ReadAt(image, exports.AddressOfNameOrdinals + uint64_t(i) * 2, ordinal)) return 0;
    if (ordinal >= exports.NumberOfFunctions) return 0;
    uint32_t functionRva;
    if (!ReadAt(image, exports.AddressOfFunctions + uint64_t(ordinal) * 4, functionRva)) return 0;
    if (functionRva == 0 || functionRva >= image.size) return 0;
    // A forwarder points back into the export directory; the mapper cannot follow it.
    if (functionRva >= directory.VirtualAddress && functionRva - directory.VirtualAddress < directory.Size) return 0;
    return functionRva;
  }
  return 0;
}

void AddExportRanges(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                     std::vector<RvaRange>& ranges) {
  if (directory.VirtualAddress == 0 || directory.Size == 0) return;
  AddRange(ranges, directory.VirtualAddress, uint64_t(directory.VirtualAddress) + directory.Size, imageSize);
  IMAGE_EXPORT_DIRECTORY exports;
  if (!ReadAt(image, imageSize, directory.VirtualAddress, exports)) return;
  uint64_t functionBytes = uint64_t(exports.NumberOfFunctions) * 4;
  if (RangeInside(exports.AddressOfFunctions, functionBytes, imageSize)) {
    AddRange(ranges, exports.AddressOfFunctions, exports.AddressOfFunctions + functionBytes, imageSize);
    for (uint32_t i = 0; i < exports.NumberOfFunctions; ++i) {
      uint32_t rva;
      std::memcpy(&rva, image + exports.AddressOfFunctions + uint64_t(i) * 4, 4);
      if (rva) AddRange(ranges, rva, uint64_t(rva) + 1, imageSize);
    }
  }
  uint64_t names = exports.NumberOfNames;
  if (RangeInside(exports.AddressOfNameOrdinals, names * 2, imageSize))
    AddRange(ranges, exports.AddressOfNameOrdinals, exports.AddressOfNameOrdinals + names * 2, imageSize);
  if (!RangeInside(exports.AddressOfNames, names * 4, imageSize)) return;
  AddRange(ranges, exports.AddressOfNames, exports.AddressOfNames + names * 4, imageSize);
  Budget budget{imageSize};
  for (uint32_t i = 0; i < names; ++i) {
    uint32_t rva;
    std::memcpy(&rva, image + exports.AddressOfNames + uint64_t(i) * 4, 4);
    size_t length = 0;
    if (!NameLength(image, imageSize, rva, budget, length)) length = 0;
    AddRange(ranges, rva, uint64_t(rva) + length + 1, imageSize);
  }
}

bool ReadTlsCallbacks(const uint8_t* image, size_t imageSize, const IMAGE_DATA_DIRECTORY& directory,
                      uint64_t imageBase, bool pe32plus, std::vector<uint32_t>& callbacks, RvaRange& arrayRange) {
  callbacks.clear();
  arrayRange = RvaRange();
  if (directory.VirtualAddress == 0) return true;
  // Addresses in a PE32 image wrap at 32 bits, as they do in the process that runs it.
  uint64_t addressMask = pe32plus ? ~uint64_t(0) : 0xFFFFFFFFu;
  uint64_t arrayAddress;
  if (pe32plus) {
    IMAGE_TLS_DIRECTORY64 tls;
    if (!ReadAt(image, imageSize, directory.VirtualAddress, tls)) return false;
    arrayAddress = tls.AddressOfCallBacks;
  } else {
    IMAGE_TLS_DIRECTORY32 tls;
    if (!ReadAt(image, imageSize, directory.VirtualAddress, tls)) return false;
    arrayAddress = tls.AddressOfCallBacks;
  }
  if (arrayAddress == 0) return true;
  uint64_t arrayRva = (arrayAddress - imageBase) & addressMask;
  uint32_t width = pe32plus ? 8 : 4;
  for (uint64_t i = 0;; ++i) {
    uint64_t address;
    if (arrayRva >= imageSize || !ReadPointer(image, imageSize, arrayRva + i * width, pe32plus, address))
      return false;
    if (address == 0) {
      arrayRange = RvaRange{arrayRva, arrayRva + (i + 1) * width};
      return true;
    }
    uint64_t rva = (address - imageBase) & addressMask;
    if (rva >= imageSize) return false;
    callbacks.push_back(static_cast<uint32_t>(rva));
  }
}

}  // namespace trr
