#include "updater/memory_module.h"

#include <windows.h>

#include <gtest/gtest.h>

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

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Offsets into the engine's file image, found the same way the loader finds them.
struct FileLayout {
  PeLayout pe;
  uint32_t ntOffset = 0;
  std::string* image = nullptr;

  IMAGE_NT_HEADERS32* Nt() { return reinterpret_cast<IMAGE_NT_HEADERS32*>(&(*image)[ntOffset]); }
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
  uint32_t* TlsCallbacks() {
    auto* tls = At<IMAGE_TLS_DIRECTORY32>(pe.tls.VirtualAddress);
    return At<uint32_t>(tls->AddressOfCallBacks - pe.imageBase);
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

RegionState Region(uint32_t address) {
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
      {"not a 32-bit image", [](std::string&, FileLayout& l) { l.Nt()->OptionalHeader.Magic = 0x20B; }, false},
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
         *l.At<uint32_t>(d->OriginalFirstThunk) = 0x7FFFFF00;
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
         l.At<IMAGE_TLS_DIRECTORY32>(l.pe.tls.VirtualAddress)->AddressOfCallBacks = l.pe.imageBase + l.pe.sizeOfImage;
       },
       false},
      {"TLS callback outside code",
       [](std::string&, FileLayout& l) { l.TlsCallbacks()[0] = l.pe.imageBase + l.Named(".data")->VirtualAddress; },
       false},
      {"no relocations when the image must move",
       [](std::string&, FileLayout& l) {
         l.Nt()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress = 0;
       },
       true},
  };
  FileLayout original = Describe(image_);
  uint32_t preferred = original.pe.imageBase;
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
  const uint32_t descriptors = 600, thunks = 2500, thunkArray = junk + 0x3000, byName = junk + 0x5800;
  const uint32_t moduleName = junk + 0x5FE0;
  std::memcpy(layout.At<char>(moduleName), "kernel32.dll", 13);
  std::memset(layout.At<char>(byName + 2), 'n', 2000);
  for (uint32_t i = 0; i < thunks; ++i) layout.At<uint32_t>(thunkArray)[i] = byName;
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

// TLS callbacks run with process attach before DllMain, and with process detach after it on release.
TEST_F(MemoryModuleTest, RunsTlsCallbacksAroundTheEntryPoint) {
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
  EXPECT_STREQ(released, "et");
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
  EXPECT_TRUE(ApplyRelocations(image, sizeof(image), directory, 0x100));
  EXPECT_EQ(get32(0x04), 0x1100u);
  EXPECT_EQ(get32(0x08), 0x1000u);
  // The same entry aimed past the end of the image is refused.
  uint16_t outside = 0x303E;
  std::memcpy(image + 0x28, &outside, 2);
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), directory, 0x100));
  IMAGE_DATA_DIRECTORY beyond = {0x30, 0x20};
  EXPECT_FALSE(ApplyRelocations(image, sizeof(image), beyond, 0x100));
}

}  // namespace
}  // namespace trr
