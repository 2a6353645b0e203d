#include "updater/memory_module.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "common/file_util.h"
#include "tests/harness/temp_dir.h"
#include "updater/pe_image.h"
#include "updater/pe_tables.h"

// The native fuzz build's stand-in for <windows.h> is held to the same layouts as MinGW's.
#include "tests/fuzz/shim/image_layout_facts.h"

namespace trr {
namespace {

using AttachSkinFunction = int (*)(const char*, const char*);
using DetachSkinFunction = int (*)();

std::string BuiltImage(const char* name) {
  std::string bytes;
  ReadWholeFile(test::BinDirectory() + "\\" + name, bytes);
  return bytes;
}

std::string EngineImage() { return BuiltImage("trskin.dll"); }

// A file of the source tree (TRRADIO_SOURCE_DIR, else two levels above the programs), read whole.
std::string SourceFile(const std::string& relative) {
  const char* root = std::getenv("TRRADIO_SOURCE_DIR");
  std::string path = root ? std::string("Z:") + root : test::BinDirectory() + "\\..\\..";
  path += "\\" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

// The fuzz seed whose import slots lie over names still to be read, for this architecture or the other one.
#if defined(__x86_64__)
constexpr const char* kOwnArch = "x64";
constexpr const char* kOtherArch = "x86";
#else
constexpr const char* kOwnArch = "x86";
constexpr const char* kOtherArch = "x64";
#endif
std::string OverlapSeed(const char* arch) {
  return SourceFile(std::string("tests/fuzz/corpus/pe_image/overlap_slots_") + arch + ".dll");
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Offsets into the engine's file image, found the same way the loader finds them.
struct FileLayout {
  PeLayout pe;
  uint32_t ntOffset = 0;
  std::string* image = nullptr;

  IMAGE_NT_HEADERS* Nt() { return reinterpret_cast<IMAGE_NT_HEADERS*>(&(*image)[ntOffset]); }
  IMAGE_SECTION_HEADER* Section(unsigned i) {
    return reinterpret_cast<IMAGE_SECTION_HEADER*>(&(*image)[pe.sectionTableOffset]) + i;
  }
  // File offset of an RVA, through the section that holds it; 0 when none does.
  uint32_t FileOffset(uint32_t rva) {
    for (unsigned i = 0; i < pe.sectionCount; ++i) {
      IMAGE_SECTION_HEADER* s = Section(i);
      if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->SizeOfRawData)
        return s->PointerToRawData + (rva - s->VirtualAddress);
    }
    return 0;
  }
  template <typename T>
  T* At(uint32_t rva) {
    return reinterpret_cast<T*>(&(*image)[FileOffset(rva)]);
  }
  IMAGE_SECTION_HEADER* Named(const char* name) {
    for (unsigned i = 0; i < pe.sectionCount; ++i)
      if (std::strncmp(reinterpret_cast<const char*>(Section(i)->Name), name, 8) == 0) return Section(i);
    return nullptr;
  }
  // The TLS callback array, through the preferred base that the file's addresses assume.
  ULONG_PTR* TlsCallbacks() {
    auto* tls = At<IMAGE_TLS_DIRECTORY>(pe.tls.VirtualAddress);
    return At<ULONG_PTR>(static_cast<uint32_t>(tls->AddressOfCallBacks - pe.imageBase));
  }
};

FileLayout Describe(std::string& image) {
  FileLayout layout;
  layout.image = &image;
  EXPECT_TRUE(ReadPeLayout(Bytes(image), image.size(), layout.pe));
  layout.ntOffset = layout.pe.ntOffset;
  return layout;
}

// What the address space holds at an address. Wine keeps some ranges reserved for itself and hands them out on
// request, so "nothing left mapped" means "as before", not "free".
struct RegionState {
  DWORD state = 0;
  void* allocationBase = nullptr;
  bool operator==(const RegionState& o) const { return state == o.state && allocationBase == o.allocationBase; }
};

RegionState Region(uint64_t address) {
  MEMORY_BASIC_INFORMATION info = {};
  VirtualQuery(reinterpret_cast<void*>(uintptr_t(address)), &info, sizeof(info));
  return {info.State, info.State == MEM_FREE ? nullptr : info.AllocationBase};
}

class MemoryModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    image_ = EngineImage();
    ASSERT_GT(image_.size(), 4096u) << "trskin.dll not found beside the tests";
    skinPath_ = dir_.File("test.she");
    ASSERT_TRUE(WriteWholeFile(skinPath_, ".SHE 1\r\nbackground=10,20,30\r\n"));
  }
  std::string image_;
  test::ScopedTempDir dir_;
  std::string skinPath_;
};

TEST_F(MemoryModuleTest, MapsTheEngineAndCallsItsExports) {
  FileLayout layout = Describe(image_);
  RegionState before = Region(layout.pe.imageBase);
  MemoryModule* module = MapMemoryModule(Bytes(image_), image_.size());
  ASSERT_NE(module, nullptr);
  auto attach = reinterpret_cast<AttachSkinFunction>(FindMemoryModuleExport(module, "AttachSkin"));
  auto detach = reinterpret_cast<DetachSkinFunction>(FindMemoryModuleExport(module, "DetachSkin"));
  ASSERT_NE(attach, nullptr);
  ASSERT_NE(detach, nullptr);
  EXPECT_EQ(FindMemoryModuleExport(module, "attachskin"), nullptr);  // names are case-sensitive
  EXPECT_EQ(FindMemoryModuleExport(module, "AttachSki"), nullptr);
  EXPECT_EQ(FindMemoryModuleExport(module, "AttachSkinX"), nullptr);
  EXPECT_EQ(attach((dir_.path() + "\\missing.she").c_str(), ""), 0);
  EXPECT_EQ(attach(skinPath_.c_str(), ""), 1);
  EXPECT_EQ(detach(), 1);
  FreeMemoryModule(module);
  EXPECT_EQ(Region(layout.pe.imageBase), before);
}

TEST_F(MemoryModuleTest, RelocatesWhenThePreferredBaseIsTaken) {
  FileLayout layout = Describe(image_);
  void* blocker = VirtualAlloc(reinterpret_cast<void*>(uintptr_t(layout.pe.imageBase)), layout.pe.sizeOfImage,
                               MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(blocker, nullptr);
  MemoryModule* module = MapMemoryModule(Bytes(image_), image_.size());
  ASSERT_NE(module, nullptr);
  EXPECT_NE(MemoryModuleBase(module), blocker);
  auto attach = reinterpret_cast<AttachSkinFunction>(FindMemoryModuleExport(module, "AttachSkin"));
  ASSERT_NE(attach, nullptr);
  // Attaching uses the engine's globals, imports and string constants; an unmoved address would point into the
  // blocked range and fault. A window made afterwards must get the engine's procedure, inside the mapped image.
  EXPECT_EQ(attach(skinPath_.c_str(), ""), 1);
  HWND window = CreateWindowExA(0, "STATIC", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  uintptr_t proc = static_cast<uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  uintptr_t begin = reinterpret_cast<uintptr_t>(MemoryModuleBase(module));
  EXPECT_TRUE(proc >= begin && proc < begin + layout.pe.sizeOfImage);
  FreeMemoryModule(module);  // detaches: the window gets its own procedure back
  proc = static_cast<uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  EXPECT_FALSE(proc >= begin && proc < begin + layout.pe.sizeOfImage);
  DestroyWindow(window);
  VirtualFree(blocker, 0, MEM_RELEASE);
}

// Each corruption must make mapping fail without a crash and leave the preferred base free again.
TEST_F(MemoryModuleTest, RefusesMalformedImages) {
  struct Case {
    const char* what;
    std::function<void(std::string&, FileLayout&)> corrupt;
    bool blockBase;  // relocation checks run only when the image has to move
  } cases[] = {
      {"empty", [](std::string& s, FileLayout&) { s.clear(); }, false},
      {"only the DOS header", [](std::string& s, FileLayout&) { s.resize(64); }, false},
      {"cut inside the NT headers", [](std::string& s, FileLayout& l) { s.resize(l.ntOffset + 40); }, false},
      {"cut before the section table ends",
       [](std::string& s, FileLayout& l) { s.resize(l.pe.sectionTableOffset + 20); }, false},
      {"cut in the middle", [](std::string& s, FileLayout&) { s.resize(s.size() / 2); }, false},
      {"bad MZ", [](std::string& s, FileLayout&) { s[1] = 'X'; }, false},
      {"bad PE signature", [](std::string& s, FileLayout& l) { s[l.ntOffset + 2] = 'X'; }, false},
      {"DOS header points outside the file",
       [](std::string& s, FileLayout&) { reinterpret_cast<IMAGE_DOS_HEADER*>(&s[0])->e_lfanew = 0x7FFFFFF0; },
       false},
      {"optional header of the other format",
       [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.Magic ^= IMAGE_NT_OPTIONAL_HDR32_MAGIC ^ 0x20B; },
       false},
      {"a sound image of the other architecture",
       [](std::string& s, FileLayout&) {
         s = OverlapSeed(kOtherArch);
         PeLayout other;
         EXPECT_TRUE(ReadPeLayout(Bytes(s), s.size(), other));  // refused for its architecture alone
       },
       false},
      {"image far larger than the file",
       [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.SizeOfImage = 0x10000000; }, false},
      {"headers larger than the image",
       [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.SizeOfHeaders = l.pe.sizeOfImage + 4096; }, false},
      {"section beyond the image",
       [](std::string&, FileLayout& l) { l.Section(0)->VirtualAddress = l.pe.sizeOfImage; }, false},
      {"section raw data beyond the file",
       [](std::string& s, FileLayout& l) { l.Section(1)->PointerToRawData = static_cast<DWORD>(s.size()); }, false},
      {"section raw size overflows",
       [](std::string&, FileLayout& l) { l.Section(0)->SizeOfRawData = 0xFFFFF000; }, false},
      {"entry point outside code",
       [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.AddressOfEntryPoint = l.pe.sizeOfImage - 1; },
       false},
      {"export directory leaves the image",
       [](std::string&, FileLayout& l) {
         l.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress = l.pe.sizeOfImage - 8;
       },
       false},
      {"import descriptor name outside the image",
       [](std::string&, FileLayout& l) {
         l.At<IMAGE_IMPORT_DESCRIPTOR>(l.pe.imports.VirtualAddress)->Name = l.pe.sizeOfImage + 100;
       },
       false},
      {"import name thunk outside the image",
       [](std::string&, FileLayout& l) {
         auto* d = l.At<IMAGE_IMPORT_DESCRIPTOR>(l.pe.imports.VirtualAddress);
         *l.At<ULONG_PTR>(d->OriginalFirstThunk) = 0x7FFFFF00;
       },
       false},
      {"import module that does not exist",
       [](std::string&, FileLayout& l) {
         auto* d = l.At<IMAGE_IMPORT_DESCRIPTOR>(l.pe.imports.VirtualAddress);
         char* name = l.At<char>(d->Name);
         std::memcpy(name, "NOSUCH", 6);
       },
       false},
      {"import function that does not exist",
       [](std::string&, FileLayout& l) {
         auto* d = l.At<IMAGE_IMPORT_DESCRIPTOR>(l.pe.imports.VirtualAddress);
         uint32_t byName = *l.At<uint32_t>(d->OriginalFirstThunk);
         l.At<char>(byName + 2)[0] = '!';
       },
       false},
      {"relocation block larger than the directory",
       [](std::string&, FileLayout& l) {
         l.At<IMAGE_BASE_RELOCATION>(l.pe.relocations.VirtualAddress)->SizeOfBlock = 0x7FFFFFF0;
       },
       true},
      {"relocation block shorter than its header",
       [](std::string&, FileLayout& l) { l.At<IMAGE_BASE_RELOCATION>(l.pe.relocations.VirtualAddress)->SizeOfBlock = 4; },
       true},
      {"relocation target outside the image",
       [](std::string&, FileLayout& l) {
         l.At<IMAGE_BASE_RELOCATION>(l.pe.relocations.VirtualAddress)->VirtualAddress = l.pe.sizeOfImage - 2;
       },
       true},
      {"sections overlap",
       [](std::string&, FileLayout& l) { l.Section(1)->VirtualAddress = l.Section(0)->VirtualAddress + 0x1000; },
       false},
      {"section not aligned",
       [](std::string&, FileLayout& l) { l.Section(2)->VirtualAddress += l.pe.sectionAlignment / 2; }, false},
      {"section over the headers", [](std::string&, FileLayout& l) { l.Section(0)->VirtualAddress = 0; }, false},
      {"no headers", [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.SizeOfHeaders = 0; }, false},
      {"headers end inside the section table",
       [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.SizeOfHeaders = l.pe.sectionTableOffset + 40; },
       false},
      {"TLS callback array outside the image",
       [](std::string&, FileLayout& l) {
         l.At<IMAGE_TLS_DIRECTORY>(l.pe.tls.VirtualAddress)->AddressOfCallBacks = l.pe.imageBase + l.pe.sizeOfImage;
       },
       false},
      {"TLS callback outside code",
       [](std::string&, FileLayout& l) { l.TlsCallbacks()[0] = l.pe.imageBase + l.Named(".data")->VirtualAddress; },
       false},
#if defined(__x86_64__)
      {"function table not on a 32-bit boundary",
       [](std::string&, FileLayout& l) {
         l.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXCEPTION].VirtualAddress += 2;
       },
       false},
#endif
      {"no relocations when the image must move",
       [](std::string&, FileLayout& l) {
         l.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress = 0;
       },
       true},
      {"relocation directory of size 0 when the image must move",
       [](std::string&, FileLayout& l) {
         l.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size = 0;
       },
       true},
      {"relocation directory of padding only when the image must move",
       [](std::string&, FileLayout& l) {
         *l.At<IMAGE_BASE_RELOCATION>(l.pe.relocations.VirtualAddress) = IMAGE_BASE_RELOCATION{};
       },
       true},
  };
  FileLayout original = Describe(image_);
  uint64_t preferred = original.pe.imageBase;
  RegionState before = Region(preferred);
  for (const Case& c : cases) {
    std::string copy = image_;
    FileLayout layout = Describe(copy);
    c.corrupt(copy, layout);
    void* blocker = nullptr;
    if (c.blockBase) {
      blocker = VirtualAlloc(reinterpret_cast<void*>(uintptr_t(preferred)), original.pe.sizeOfImage, MEM_RESERVE,
                             PAGE_NOACCESS);
      ASSERT_NE(blocker, nullptr) << c.what;
    }
    MemoryModule* module = MapMemoryModule(copy.empty() ? nullptr : Bytes(copy), copy.size());
    EXPECT_EQ(module, nullptr) << c.what;
    FreeMemoryModule(module);
    if (blocker) VirtualFree(blocker, 0, MEM_RELEASE);
    EXPECT_EQ(Region(preferred), before) << c.what << ": memory left mapped";
  }
}

TEST_F(MemoryModuleTest, ExportLookupStaysInsideTheImage) {
  struct Case {
    const char* what;
    std::function<void(IMAGE_EXPORT_DIRECTORY*, FileLayout&)> corrupt;
  } cases[] = {
      {"name table outside", [](IMAGE_EXPORT_DIRECTORY* e, FileLayout& l) { e->AddressOfNames = l.pe.sizeOfImage; }},
      {"ordinal table outside",
       [](IMAGE_EXPORT_DIRECTORY* e, FileLayout& l) { e->AddressOfNameOrdinals = l.pe.sizeOfImage - 1; }},
      {"function table outside",
       [](IMAGE_EXPORT_DIRECTORY* e, FileLayout& l) { e->AddressOfFunctions = l.pe.sizeOfImage - 2; }},
      {"name count beyond the image", [](IMAGE_EXPORT_DIRECTORY* e, FileLayout&) { e->NumberOfNames = 0x40000000; }},
      {"ordinal equal to the function count",
       [](IMAGE_EXPORT_DIRECTORY* e, FileLayout& l) {
         for (uint32_t i = 0; i < e->NumberOfNames; ++i)
           l.At<uint16_t>(e->AddressOfNameOrdinals)[i] = static_cast<uint16_t>(e->NumberOfFunctions);
       }},
      {"name address outside",
       [](IMAGE_EXPORT_DIRECTORY* e, FileLayout& l) {
         for (uint32_t i = 0; i < e->NumberOfNames; ++i) l.At<uint32_t>(e->AddressOfNames)[i] = 0xFFFFFFF0;
       }},
      {"no functions", [](IMAGE_EXPORT_DIRECTORY* e, FileLayout&) { e->NumberOfFunctions = 0; }},
  };
  for (const Case& c : cases) {
    std::string copy = image_;
    FileLayout layout = Describe(copy);
    c.corrupt(layout.At<IMAGE_EXPORT_DIRECTORY>(layout.pe.exports.VirtualAddress), layout);
    MemoryModule* module = MapMemoryModule(Bytes(copy), copy.size());
    ASSERT_NE(module, nullptr) << c.what;  // the export table is only read when a name is looked up
    EXPECT_EQ(FindMemoryModuleExport(module, "AttachSkin"), nullptr) << c.what;
    FreeMemoryModule(module);
  }
}

// The layout probe's 512-byte sections share pages: each page must allow what every section on it needs, and a
// discardable section may give back only pages that nothing else uses. Exports are looked up only where the
// mapped image can be read.
TEST_F(MemoryModuleTest, SharedPagesKeepWhatTheirSectionsNeed) {
  using Patch = std::function<void(FileLayout&, uint32_t junkPage)>;
  auto discard = [](FileLayout& l) { l.Named(".junk")->Characteristics |= IMAGE_SCN_MEM_DISCARDABLE; };
  // Moves the name "Answer" (first in the sorted name table) onto a page that .junk fills alone.
  auto moveName = [](FileLayout& l, uint32_t junkPage) {
    std::memcpy(l.At<char>(junkPage + 0x10), "Answer", 7);
    auto* exports = l.At<IMAGE_EXPORT_DIRECTORY>(l.pe.exports.VirtualAddress);
    *l.At<uint32_t>(exports->AddressOfNames) = junkPage + 0x10;
  };
  struct Case {
    const char* what;
    Patch patch;
    bool answerFound;
    DWORD junkPageState;  // of a page that .junk fills alone
    DWORD junkPageProtection;
  } cases[] = {
      {"small sections on shared pages", [](FileLayout&, uint32_t) {}, true, MEM_COMMIT, PAGE_READWRITE},
      {"discardable section sharing the pages of the code and of the export data",
       [&](FileLayout& l, uint32_t) { discard(l); }, true, MEM_RESERVE, 0},
      {"export name inside the discardable section",
       [&](FileLayout& l, uint32_t page) {
         discard(l);
         moveName(l, page);
       },
       true, MEM_COMMIT, PAGE_READWRITE},
      {"export name inside a section without access",
       [&](FileLayout& l, uint32_t page) {
         l.Named(".junk")->Characteristics &= ~(IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_EXECUTE);
         moveName(l, page);
       },
       false, MEM_COMMIT, PAGE_NOACCESS},
  };
  std::string probe = BuiltImage("layout_probe.dll");
  for (const Case& c : cases) {
    std::string copy = probe;
    FileLayout layout = Describe(copy);
    ASSERT_NE(layout.Named(".junk"), nullptr);
    uint32_t junkPage = (layout.Named(".junk")->VirtualAddress + 0x1FFF) & ~0xFFFu;
    c.patch(layout, junkPage);
    MemoryModule* module = MapMemoryModule(Bytes(copy), copy.size());
    ASSERT_NE(module, nullptr) << c.what;
    auto answer = reinterpret_cast<int (*)()>(FindMemoryModuleExport(module, "Answer"));
    auto store = reinterpret_cast<void (*)(int)>(FindMemoryModuleExport(module, "Store"));
    auto load = reinterpret_cast<int (*)()>(FindMemoryModuleExport(module, "Load"));
    EXPECT_EQ(answer != nullptr, c.answerFound) << c.what;
    ASSERT_TRUE(store && load) << c.what;
    // Code, data and headers share the first page: it must stay executable and writable.
    if (answer) {
      EXPECT_EQ(answer(), 42) << c.what;
    }
    store(7);
    EXPECT_EQ(load(), 7) << c.what;
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(static_cast<const uint8_t*>(MemoryModuleBase(module)) + junkPage, &info, sizeof(info));
    EXPECT_EQ(info.State, c.junkPageState) << c.what;
    if (c.junkPageProtection) {
      EXPECT_EQ(info.Protect, c.junkPageProtection) << c.what;
    }
    FreeMemoryModule(module);
  }
}

// Descriptors that share one thunk array of long names: the import work would far exceed the image.
TEST_F(MemoryModuleTest, RefusesImportTablesThatAskForMoreThanTheImageHolds) {
  std::string copy = BuiltImage("layout_probe.dll");
  FileLayout layout = Describe(copy);
  ASSERT_NE(layout.Named(".junk"), nullptr);
  uint32_t junk = layout.Named(".junk")->VirtualAddress;
  const uint32_t descriptors = 600, thunks = 1000, thunkArray = junk + 0x3000, byName = junk + 0x5800;
  const uint32_t moduleName = junk + 0x5FE0;
  std::memcpy(layout.At<char>(moduleName), "kernel32.dll", 13);
  std::memset(layout.At<char>(byName + 2), 'n', 2000);
  for (uint32_t i = 0; i < thunks; ++i) layout.At<ULONG_PTR>(thunkArray)[i] = byName;
  for (uint32_t i = 0; i < descriptors; ++i) {
    IMAGE_IMPORT_DESCRIPTOR* d = layout.At<IMAGE_IMPORT_DESCRIPTOR>(junk) + i;
    d->OriginalFirstThunk = thunkArray;
    d->FirstThunk = thunkArray;
    d->Name = moduleName;
  }
  layout.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT] = {junk, descriptors * 20};
  RegionState before = Region(layout.pe.imageBase);
  EXPECT_EQ(MapMemoryModule(Bytes(copy), copy.size()), nullptr);
  EXPECT_EQ(Region(layout.pe.imageBase), before);
}

// Import slots that lie over the names of a later module and of a later function (the seed's own description
// says where): the names are read before any slot is written, so the right libraries and functions are found.
TEST_F(MemoryModuleTest, FillsImportSlotsOnlyAfterReadingEveryName) {
  std::string seed = OverlapSeed(kOwnArch);
  ASSERT_FALSE(seed.empty()) << "overlap seed not found; set TRRADIO_SOURCE_DIR";
  MemoryModule* module = MapMemoryModule(Bytes(seed), seed.size());
  ASSERT_NE(module, nullptr);
  const uint8_t* base = static_cast<const uint8_t*>(MemoryModuleBase(module));
  auto slot = [&](uint32_t rva) {
    FARPROC value;
    std::memcpy(&value, base + rva, sizeof(value));
    return value;
  };
  HMODULE kernel = GetModuleHandleA("kernel32.dll"), user = GetModuleHandleA("user32.dll");
  EXPECT_EQ(slot(0x2000 - sizeof(void*)), GetProcAddress(kernel, "GetTickCount"));
  EXPECT_EQ(slot(0x140E), GetProcAddress(user, "GetDesktopWindow"));
  EXPECT_EQ(slot(0x140E + sizeof(void*)), GetProcAddress(user, "GetShellWindow"));
  FreeMemoryModule(module);
}

// TLS callbacks run before DllMain for every reason, as the system loader calls them.
TEST_F(MemoryModuleTest, RunsTlsCallbacksBeforeTheEntryPoint) {
  std::string probe = BuiltImage("tls_probe.dll");
  MemoryModule* module = MapMemoryModule(Bytes(probe), probe.size());
  ASSERT_NE(module, nullptr);
  auto eventLog = reinterpret_cast<const char* (*)()>(FindMemoryModuleExport(module, "EventLog"));
  auto recordInto = reinterpret_cast<void (*)(char*)>(FindMemoryModuleExport(module, "RecordInto"));
  ASSERT_TRUE(eventLog && recordInto);
  EXPECT_STREQ(eventLog(), "TE");
  char released[32] = {};
  recordInto(released);
  FreeMemoryModule(module);
  EXPECT_STREQ(released, "te");
}

// A C++ exception thrown inside the mapped module reaches its handler there. A 64-bit process finds the
// module's unwind data only through the function table that the mapping registered; releasing removes it.
TEST_F(MemoryModuleTest, UnwindsExceptionsInsideTheModule) {
  std::string probe = BuiltImage("tls_probe.dll");
  MemoryModule* module = MapMemoryModule(Bytes(probe), probe.size());
  ASSERT_NE(module, nullptr);
  auto throwAndCatch = reinterpret_cast<int (*)(int)>(FindMemoryModuleExport(module, "ThrowAndCatch"));
  ASSERT_NE(throwAndCatch, nullptr);
#if defined(__x86_64__)
  DWORD64 code = reinterpret_cast<DWORD64>(throwAndCatch), imageBase = 0;
  // Without the table the throw would end the test program.
  ASSERT_NE(RtlLookupFunctionEntry(code, &imageBase, nullptr), nullptr);
  EXPECT_EQ(imageBase, reinterpret_cast<DWORD64>(MemoryModuleBase(module)));
#endif
  EXPECT_EQ(throwAndCatch(41), 42);
  FreeMemoryModule(module);
#if defined(__x86_64__)
  EXPECT_EQ(RtlLookupFunctionEntry(code, &imageBase, nullptr), nullptr);
#endif
}

TEST(PeImage, RangesAndRelocationsFromTables) {
  struct Range {
    uint64_t offset, length, size;
    bool inside;
  } ranges[] = {{0, 0, 0, true},         {0, 4, 4, true},          {1, 4, 4, false},      {4, 0, 4, true},
                {5, 0, 4, false},        {0xFFFFFFFF, 2, 16, false}, {8, 0xFFFFFFFFFFFFFFF0ull, 16, false}};
  for (const Range& r : ranges) EXPECT_EQ(RangeInside(r.offset, r.length, r.size), r.inside) << r.offset;

  // An image of 0x40 bytes: one relocation block at 0x20 with a type-3 entry at 0x04, a padding entry (type 0)
  // and a type-10 entry that must be skipped; values at 0x04 and 0x08 start at 0x1000.
  uint8_t image[0x40] = {};
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(image + at, &v, 4); };
  auto get32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, image + at, 4);
    return v;
  };
  put32(0x04, 0x1000);
  put32(0x08, 0x1000);
  put32(0x20, 0x0);           // block page RVA
  put32(0x24, 8 + 3 * 2);     // block size
  uint16_t entries[] = {0x3004, 0x0000, 0xA008};
  std::memcpy(image + 0x28, entries, sizeof(entries));
  IMAGE_DATA_DIRECTORY directory = {0x20, 8 + 3 * 2};
  EXPECT_TRUE(ApplyRelocations(image, sizeof(image), directory, 0x100, false));
  EXPECT_EQ(get32(0x04), 0x1100u);
  EXPECT_EQ(get32(0x08), 0x1000u);
  // In a PE32+ image the type-10 entry moves all 64 bits, carrying into the high half; type 3 the low 32 bits.
  put32(0x04, 0xFFFFF000);
  put32(0x08, 0xFFFFF000);
  put32(0x0C, 0x1);
  EXPECT_TRUE(ApplyRelocations(image, sizeof(image), directory, 0x100000000000ull + 0x2000, true));
  EXPECT_EQ(get32(0x04), 0x1000u);
  EXPECT_EQ(get32(0x08), 0x1000u);
  EXPECT_EQ(get32(0x0C), 0x1002u);
  // The same entry aimed past the end of the image is refused.
  uint16_t outside = 0x303E;
  std::memcpy(image + 0x28, &outside, 2);
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), directory, 0x100, false));
  IMAGE_DATA_DIRECTORY beyond = {0x30, 0x20};
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), beyond, 0x100, false));
  // A directory without a block cannot move the image.
  IMAGE_DATA_DIRECTORY empty = {0x20, 0}, absent = {0, 0}, padding = {0x18, 8};
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), empty, 0x100, false));
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), absent, 0x100, false));
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), padding, 0x100, false));
}

}  // namespace
}  // namespace trr
