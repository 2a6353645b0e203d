// Layouts of the PE structures and values of the constants that the image readers rely on. Included by the
// native stand-in for <windows.h> and by the MinGW build of the loader tests, so both must agree with it.
#pragma once
#include <cstddef>

static_assert(sizeof(IMAGE_DOS_HEADER) == 64 && offsetof(IMAGE_DOS_HEADER, e_lfanew) == 60, "DOS header");
static_assert(sizeof(IMAGE_FILE_HEADER) == 20 && offsetof(IMAGE_FILE_HEADER, Characteristics) == 18, "file header");
static_assert(sizeof(IMAGE_OPTIONAL_HEADER32) == 224 && offsetof(IMAGE_OPTIONAL_HEADER32, ImageBase) == 28 &&
                  offsetof(IMAGE_OPTIONAL_HEADER32, SectionAlignment) == 32 &&
                  offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfImage) == 56 &&
                  offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes) == 92 &&
                  offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) == 96,
              "optional header");
static_assert(sizeof(IMAGE_NT_HEADERS32) == 248 && offsetof(IMAGE_NT_HEADERS32, OptionalHeader) == 24, "NT headers");
static_assert(sizeof(IMAGE_OPTIONAL_HEADER64) == 240 && offsetof(IMAGE_OPTIONAL_HEADER64, ImageBase) == 24 &&
                  offsetof(IMAGE_OPTIONAL_HEADER64, SectionAlignment) == 32 &&
                  offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfImage) == 56 &&
                  offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfStackReserve) == 72 &&
                  offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes) == 108 &&
                  offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) == 112,
              "64-bit optional header");
static_assert(sizeof(IMAGE_NT_HEADERS64) == 264 && offsetof(IMAGE_NT_HEADERS64, OptionalHeader) == 24,
              "64-bit NT headers");
static_assert(sizeof(IMAGE_SECTION_HEADER) == 40 && offsetof(IMAGE_SECTION_HEADER, VirtualAddress) == 12 &&
                  offsetof(IMAGE_SECTION_HEADER, PointerToRawData) == 20 &&
                  offsetof(IMAGE_SECTION_HEADER, Characteristics) == 36,
              "section header");
static_assert(sizeof(IMAGE_BASE_RELOCATION) == 8, "relocation block");
static_assert(sizeof(IMAGE_IMPORT_DESCRIPTOR) == 20 && offsetof(IMAGE_IMPORT_DESCRIPTOR, Name) == 12 &&
                  offsetof(IMAGE_IMPORT_DESCRIPTOR, FirstThunk) == 16,
              "import descriptor");
static_assert(sizeof(IMAGE_EXPORT_DIRECTORY) == 40 && offsetof(IMAGE_EXPORT_DIRECTORY, NumberOfFunctions) == 20 &&
                  offsetof(IMAGE_EXPORT_DIRECTORY, AddressOfNameOrdinals) == 36,
              "export directory");
static_assert(sizeof(IMAGE_TLS_DIRECTORY32) == 24 && offsetof(IMAGE_TLS_DIRECTORY32, AddressOfCallBacks) == 12,
              "TLS directory");
static_assert(sizeof(IMAGE_TLS_DIRECTORY64) == 40 && offsetof(IMAGE_TLS_DIRECTORY64, AddressOfCallBacks) == 24,
              "64-bit TLS directory");
static_assert(sizeof(IMAGE_RUNTIME_FUNCTION_ENTRY) == 12, "function table entry");
static_assert(IMAGE_SCN_MEM_DISCARDABLE == 0x02000000 && IMAGE_SCN_MEM_NOT_CACHED == 0x04000000 &&
                  IMAGE_SCN_MEM_EXECUTE == 0x20000000 && IMAGE_SCN_MEM_READ == 0x40000000 &&
                  IMAGE_SCN_MEM_WRITE == 0x80000000,
              "section flags");
static_assert(PAGE_NOACCESS == 1 && PAGE_READONLY == 2 && PAGE_READWRITE == 4 && PAGE_EXECUTE == 0x10 &&
                  PAGE_EXECUTE_READ == 0x20 && PAGE_EXECUTE_READWRITE == 0x40 && PAGE_NOCACHE == 0x200,
              "page protections");
static_assert(MEM_COMMIT == 0x1000 && MEM_RESERVE == 0x2000 && MEM_DECOMMIT == 0x4000 && MEM_RELEASE == 0x8000,
              "allocation types");
static_assert(IMAGE_DIRECTORY_ENTRY_SECURITY == 4 && IMAGE_DIRECTORY_ENTRY_BASERELOC == 5 &&
                  IMAGE_DIRECTORY_ENTRY_TLS == 9 && IMAGE_ORDINAL_FLAG32 == 0x80000000 && IMAGE_FILE_DLL == 0x2000,
              "directory indices and flags");
static_assert(IMAGE_DIRECTORY_ENTRY_EXCEPTION == 3 && IMAGE_REL_BASED_DIR64 == 10 &&
                  IMAGE_ORDINAL_FLAG64 == 0x8000000000000000ull && IMAGE_FILE_MACHINE_AMD64 == 0x8664 &&
                  IMAGE_NT_OPTIONAL_HDR64_MAGIC == 0x20b && IMAGE_FILE_RELOCS_STRIPPED == 1,
              "64-bit image values");
