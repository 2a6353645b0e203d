#include "updater/executable_check.h"

#include <cstddef>

namespace trr {
namespace {

#ifdef _WIN64
using OptionalHeader = IMAGE_OPTIONAL_HEADER64;
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kOwnMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
using OptionalHeader = IMAGE_OPTIONAL_HEADER32;
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kOwnMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

constexpr uint16_t kMaxSections = 96;  // the platform's loader refuses more
constexpr uint32_t kSymbolSize = 18;   // one COFF symbol record

// True when [offset, offset + length) lies inside [0, size), without overflow.
bool Inside(uint64_t offset, uint64_t length, uint64_t size) { return offset <= size && length <= size - offset; }

bool ReadInside(const FileReader& read, uint64_t fileSize, uint64_t offset, void* out, size_t length) {
  return Inside(offset, length, fileSize) && read(offset, out, length);
}

}  // namespace

bool IsWholeWindowsProgram(uint64_t fileSize, const FileReader& read) {
  IMAGE_DOS_HEADER dos;
  if (!ReadInside(read, fileSize, 0, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
  const uint64_t ntOffset = static_cast<uint32_t>(dos.e_lfanew);
  DWORD signature = 0;
  IMAGE_FILE_HEADER header;
  if (!ReadInside(read, fileSize, ntOffset, &signature, sizeof(signature)) || signature != IMAGE_NT_SIGNATURE ||
      !ReadInside(read, fileSize, ntOffset + sizeof(signature), &header, sizeof(header)))
    return false;
  if (header.Machine != kOwnMachine || !(header.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) ||
      (header.Characteristics & IMAGE_FILE_DLL) || header.NumberOfSections == 0 ||
      header.NumberOfSections > kMaxSections)
    return false;

  // The optional header up to and including the data directories it declares.
  const uint64_t optionalOffset = ntOffset + sizeof(signature) + sizeof(header);
  OptionalHeader optional = {};
  const size_t fixedPart = offsetof(OptionalHeader, DataDirectory);
  if (header.SizeOfOptionalHeader < fixedPart) return false;
  size_t optionalRead = header.SizeOfOptionalHeader < sizeof(optional) ? header.SizeOfOptionalHeader : sizeof(optional);
  if (!ReadInside(read, fileSize, optionalOffset, &optional, optionalRead) ||
      optional.Magic != kOwnMagic)
    return false;
  // Directories beyond the room the optional header gives them are not there.
  uint64_t directories = (optionalRead - fixedPart) / sizeof(IMAGE_DATA_DIRECTORY);
  if (optional.NumberOfRvaAndSizes < directories) directories = optional.NumberOfRvaAndSizes;

  // The headers, with the section table inside them, are in the file.
  const uint64_t tableOffset = optionalOffset + header.SizeOfOptionalHeader;
  const uint64_t tableSize = uint64_t(header.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER);
  if (!Inside(0, optional.SizeOfHeaders, fileSize) || !Inside(tableOffset, tableSize, optional.SizeOfHeaders))
    return false;
  for (uint16_t i = 0; i < header.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!ReadInside(read, fileSize, tableOffset + uint64_t(i) * sizeof(section), &section, sizeof(section)))
      return false;
    if (section.SizeOfRawData && !Inside(section.PointerToRawData, section.SizeOfRawData, fileSize)) return false;
  }

  // The symbol table and the string table after it (its first four bytes give its size, themselves included).
  if (header.PointerToSymbolTable && header.NumberOfSymbols) {
    const uint64_t strings = header.PointerToSymbolTable + uint64_t(header.NumberOfSymbols) * kSymbolSize;
    uint32_t stringsSize = 0;
    if (!ReadInside(read, fileSize, strings, &stringsSize, sizeof(stringsSize)) || stringsSize < sizeof(stringsSize) ||
        !Inside(strings, stringsSize, fileSize))
      return false;
  }
  // The certificate table is the one directory given as a file offset rather than an address in the image.
  if (directories > IMAGE_DIRECTORY_ENTRY_SECURITY) {
    const IMAGE_DATA_DIRECTORY& certificates = optional.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
    if (certificates.Size && !Inside(certificates.VirtualAddress, certificates.Size, fileSize)) return false;
  }
  return true;
}

bool IsWholeWindowsProgram(HANDLE file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return false;
  return IsWholeWindowsProgram(static_cast<uint64_t>(size.QuadPart), [file](uint64_t offset, void* out, size_t length) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return length <= MAXDWORD && ReadFile(file, out, static_cast<DWORD>(length), &got, &at) && got == length;
  });
}

}  // namespace trr
