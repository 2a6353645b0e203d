#include "updater/executable_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/file_util.h"
#include "tests/harness/temp_dir.h"

namespace trr {
namespace {

bool Check(const std::string& file) {
  return IsWholeWindowsProgram(file.size(), [&](uint64_t offset, void* out, size_t length) {
    if (offset > file.size() || length > file.size() - offset) return false;
    std::memcpy(out, file.data() + offset, length);
    return true;
  });
}

uint32_t Get(const std::string& s, size_t at) {
  uint32_t value;
  std::memcpy(&value, s.data() + at, 4);
  return value;
}
void Put(std::string& s, size_t at, uint32_t value, size_t width) { std::memcpy(&s[at], &value, width); }

#ifdef _WIN64
constexpr uint32_t kOtherMachine = IMAGE_FILE_MACHINE_I386;
constexpr size_t kDirectories = 112;  // offset of the data directories in a PE32+ optional header
#else
constexpr uint32_t kOtherMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr size_t kDirectories = 96;
#endif

// A built program, cut or changed, passes only while it is a whole Windows program of the updater's own
// architecture. (Pages, scrambled
// bytes and cut transfers are rows of the updater's end-to-end table.)
TEST(ExecutableCheck, AcceptsOnlyAWholeProgram) {
  std::string program;
  ASSERT_TRUE(ReadWholeFile(test::BinDirectory() + "\\updater_standin_player.exe", program));
  const size_t nt = Get(program, 60), optional = nt + 24, flags = nt + 22;
  const size_t section = optional + (Get(program, nt + 20) & 0xFFFF);
  struct Row {
    const char* what;
    std::function<void(std::string&)> change;
    bool accepted;
  } rows[] = {
      {"the built program", [](std::string&) {}, true},
      {"with bytes appended", [](std::string& s) { s += "appended"; }, true},
      {"no PE signature", [&](std::string& s) { s[nt + 1] = 'X'; }, false},
      {"the other architecture's machine", [&](std::string& s) { Put(s, nt + 4, kOtherMachine, 2); }, false},
      {"the other optional header", [&](std::string& s) { Put(s, optional, Get(s, optional) ^ 0x300, 2); }, false},
      {"no executable-image flag", [&](std::string& s) { s[flags] &= ~IMAGE_FILE_EXECUTABLE_IMAGE; }, false},
      {"a DLL", [&](std::string& s) { s[flags + 1] |= IMAGE_FILE_DLL >> 8; }, false},
      {"cut in the headers", [&](std::string& s) { s.resize(Get(s, optional + 60) - 1); }, false},
      {"one byte short", [](std::string& s) { s.pop_back(); }, false},
      {"a section past the end", [&](std::string& s) { Put(s, section + 20, uint32_t(s.size()), 4); }, false},
      {"a certificate table past the end",
       [&](std::string& s) {
         Put(s, optional + kDirectories + 32, uint32_t(s.size() - 8), 4);
         Put(s, optional + kDirectories + 36, 16, 4);
       },
       false},
  };
  for (const Row& row : rows) {
    std::string file = program;
    row.change(file);
    EXPECT_EQ(Check(file), row.accepted) << row.what;
  }
}

}  // namespace
}  // namespace trr
