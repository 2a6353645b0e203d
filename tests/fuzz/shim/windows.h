// Stands in for <windows.h> when the parsers and the image mapper are built natively for fuzzing: the types,
// image structures and constants they use, and the kernel32 calls of the mapper, which emulated_kernel32.cpp
// provides over an emulated address space. image_layout_facts.h holds the structure layouts; the MinGW build of
// the loader tests includes it too, so this header cannot drift from the real one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// The calling convention matters only in the 32-bit build, where code of the image would use it.
#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#else
#define WINAPI
#endif
#define NTAPI WINAPI

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint64_t DWORD64;
typedef uint64_t ULONGLONG;
typedef uint8_t BOOLEAN;
typedef int32_t LONG;
typedef int BOOL;
typedef uintptr_t SIZE_T;
typedef void VOID;
typedef void* PVOID;
typedef void* LPVOID;
typedef void* HANDLE;
typedef const char* LPCSTR;
typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef intptr_t(WINAPI* FARPROC)();
typedef DWORD COLORREF;
#define TRUE 1
#define FALSE 0
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

struct IMAGE_DOS_HEADER {
  WORD e_magic, e_cblp, e_cp, e_crlc, e_cparhdr, e_minalloc, e_maxalloc, e_ss, e_sp, e_csum, e_ip, e_cs, e_lfarlc,
      e_ovno, e_res[4], e_oemid, e_oeminfo, e_res2[10];
  LONG e_lfanew;
};
struct IMAGE_FILE_HEADER {
  WORD Machine, NumberOfSections;
  DWORD TimeDateStamp, PointerToSymbolTable, NumberOfSymbols;
  WORD SizeOfOptionalHeader, Characteristics;
};
struct IMAGE_DATA_DIRECTORY {
  DWORD VirtualAddress, Size;
};
#define IMAGE_NUMBEROF_DIRECTORY_ENTRIES 16
struct IMAGE_OPTIONAL_HEADER32 {
  WORD Magic;
  BYTE MajorLinkerVersion, MinorLinkerVersion;
  DWORD SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint, BaseOfCode, BaseOfData,
      ImageBase, SectionAlignment, FileAlignment;
  WORD MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion, MinorImageVersion,
      MajorSubsystemVersion, MinorSubsystemVersion;
  DWORD Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
  WORD Subsystem, DllCharacteristics;
  DWORD SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit, LoaderFlags,
      NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};
struct IMAGE_NT_HEADERS32 {
  DWORD Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER32 OptionalHeader;
};
struct IMAGE_OPTIONAL_HEADER64 {
  WORD Magic;
  BYTE MajorLinkerVersion, MinorLinkerVersion;
  DWORD SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint, BaseOfCode;
  ULONGLONG ImageBase;
  DWORD SectionAlignment, FileAlignment;
  WORD MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion, MinorImageVersion,
      MajorSubsystemVersion, MinorSubsystemVersion;
  DWORD Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
  WORD Subsystem, DllCharacteristics;
  ULONGLONG SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit;
  DWORD LoaderFlags, NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};
struct IMAGE_NT_HEADERS64 {
  DWORD Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER64 OptionalHeader;
};
struct IMAGE_SECTION_HEADER {
  BYTE Name[8];
  union {
    DWORD PhysicalAddress, VirtualSize;
  } Misc;
  DWORD VirtualAddress, SizeOfRawData, PointerToRawData, PointerToRelocations, PointerToLinenumbers;
  WORD NumberOfRelocations, NumberOfLinenumbers;
  DWORD Characteristics;
};
struct IMAGE_BASE_RELOCATION {
  DWORD VirtualAddress, SizeOfBlock;
};
struct IMAGE_IMPORT_DESCRIPTOR {
  union {
    DWORD Characteristics, OriginalFirstThunk;
  };
  DWORD TimeDateStamp, ForwarderChain, Name, FirstThunk;
};
struct IMAGE_EXPORT_DIRECTORY {
  DWORD Characteristics, TimeDateStamp;
  WORD MajorVersion, MinorVersion;
  DWORD Name, Base, NumberOfFunctions, NumberOfNames, AddressOfFunctions, AddressOfNames, AddressOfNameOrdinals;
};
struct IMAGE_TLS_DIRECTORY32 {
  DWORD StartAddressOfRawData, EndAddressOfRawData, AddressOfIndex, AddressOfCallBacks, SizeOfZeroFill,
      Characteristics;
};
struct IMAGE_TLS_DIRECTORY64 {
  ULONGLONG StartAddressOfRawData, EndAddressOfRawData, AddressOfIndex, AddressOfCallBacks;
  DWORD SizeOfZeroFill, Characteristics;
};
typedef VOID(NTAPI* PIMAGE_TLS_CALLBACK)(PVOID, DWORD, PVOID);
struct IMAGE_RUNTIME_FUNCTION_ENTRY {
  DWORD BeginAddress, EndAddress, UnwindData;
};
typedef IMAGE_RUNTIME_FUNCTION_ENTRY RUNTIME_FUNCTION;

#define IMAGE_DOS_SIGNATURE 0x5A4D
#define IMAGE_NT_SIGNATURE 0x00004550
#define IMAGE_FILE_MACHINE_I386 0x014c
#define IMAGE_FILE_MACHINE_AMD64 0x8664
#define IMAGE_FILE_RELOCS_STRIPPED 0x0001
#define IMAGE_FILE_DLL 0x2000
#define IMAGE_NT_OPTIONAL_HDR32_MAGIC 0x10b
#define IMAGE_NT_OPTIONAL_HDR64_MAGIC 0x20b
#define IMAGE_DIRECTORY_ENTRY_EXPORT 0
#define IMAGE_DIRECTORY_ENTRY_IMPORT 1
#define IMAGE_DIRECTORY_ENTRY_EXCEPTION 3
#define IMAGE_DIRECTORY_ENTRY_SECURITY 4
#define IMAGE_DIRECTORY_ENTRY_BASERELOC 5
#define IMAGE_DIRECTORY_ENTRY_TLS 9
#define IMAGE_REL_BASED_HIGHLOW 3
#define IMAGE_REL_BASED_DIR64 10
#define IMAGE_ORDINAL_FLAG32 0x80000000
#define IMAGE_ORDINAL_FLAG64 0x8000000000000000ull
#define IMAGE_SCN_MEM_DISCARDABLE 0x02000000
#define IMAGE_SCN_MEM_NOT_CACHED 0x04000000
#define IMAGE_SCN_MEM_EXECUTE 0x20000000
#define IMAGE_SCN_MEM_READ 0x40000000
#define IMAGE_SCN_MEM_WRITE 0x80000000
#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_EXECUTE 0x10
#define PAGE_EXECUTE_READ 0x20
#define PAGE_EXECUTE_READWRITE 0x40
#define PAGE_NOCACHE 0x200
#define MEM_COMMIT 0x1000
#define MEM_RESERVE 0x2000
#define MEM_DECOMMIT 0x4000
#define MEM_RELEASE 0x8000
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

struct SYSTEM_INFO {
  DWORD dwPageSize;
};

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protection);
BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type);
BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD protection, DWORD* previous);
HMODULE WINAPI LoadLibraryA(LPCSTR name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
BOOL WINAPI FreeLibrary(HMODULE module);
void WINAPI GetNativeSystemInfo(SYSTEM_INFO* info);
HANDLE WINAPI GetCurrentProcess();
BOOL WINAPI FlushInstructionCache(HANDLE process, const void* address, SIZE_T size);
#if defined(__x86_64__)
BOOLEAN RtlAddFunctionTable(RUNTIME_FUNCTION* table, DWORD count, DWORD64 base);
BOOLEAN RtlDeleteFunctionTable(RUNTIME_FUNCTION* table);
#endif

#include "image_layout_facts.h"
