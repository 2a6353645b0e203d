#include "updater/executable_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/file_util.h"
#include "tests/harness/temp_dir.h"

namespace trr {
namespace {

std::string Built(const char* name) {
  std::string bytes;
  ReadWholeFile(test::BinDirectory() + "\\" + name, bytes);
  return bytes;
}

bool Check(const std::string& file) {
  return IsWholeWindowsProgram(file.size(), [&](uint64_t offset, void* out, size_t length) {
    if (offset > file.size() || length > file.size() - offset) return false;
    std::memcpy(out, file.data() + offset, length);
    return true;
  });
}

uint32_t Get(const std::string& s, size_t at, size_t width) {
  uint32_t value = 0;
  std::memcpy(&value, s.data() + at, width);
  return value;
}
void Put(std::string& s, size_t at, uint32_t value, size_t width) { std::memcpy(&s[at], &value, width); }

// A built program, cut, changed or replaced, is accepted only while it is a whole 32-bit Windows program.
TEST(ExecutableCheck, AcceptsOnlyAWholeProgram) {
  const std::string program = Built("updater_standin_player.exe");
  ASSERT_GT(program.size(), 4096u);
  const size_t nt = Get(program, 60, 4), optional = nt + 24;
  const size_t sections = optional + Get(program, nt + 20, 2);
  const size_t headers = Get(program, optional + 60, 4);
  const size_t firstRawEnd = Get(program, sections + 20, 4) + Get(program, sections + 16, 4);
  struct Row {
    const char* what;
    std::function<void(std::string&)> change;
    bool accepted;
  } rows[] = {
      {"the built program", [](std::string&) {}, true},
      {"with bytes appended", [](std::string& s) { s += "appended"; }, true},
      {"empty", [](std::string& s) { s.clear(); }, false},
      {"a login page", [](std::string& s) { s = "<html><body>Please sign in</body></html>"; }, false},
      {"no MZ", [](std::string& s) { s[0] = 'X'; }, false},
      {"no PE signature", [&](std::string& s) { s[nt + 1] = 'X'; }, false},
      {"a 64-bit machine", [&](std::string& s) { Put(s, nt + 4, IMAGE_FILE_MACHINE_AMD64, 2); }, false},
      {"no executable-image flag",
       [&](std::string& s) { Put(s, nt + 22, Get(s, nt + 22, 2) & ~IMAGE_FILE_EXECUTABLE_IMAGE, 2); }, false},
      {"a DLL", [&](std::string& s) { Put(s, nt + 22, Get(s, nt + 22, 2) | IMAGE_FILE_DLL, 2); }, false},
      {"a PE32+ optional header", [&](std::string& s) { Put(s, optional, IMAGE_NT_OPTIONAL_HDR64_MAGIC, 2); }, false},
      {"cut in the headers", [&](std::string& s) { s.resize(headers - 1); }, false},
      {"cut in the first section", [&](std::string& s) { s.resize(firstRawEnd - 1); }, false},
      {"cut in half", [](std::string& s) { s.resize(s.size() / 2); }, false},
      {"one byte short", [](std::string& s) { s.pop_back(); }, false},
      {"a section placed past the end", [&](std::string& s) { Put(s, sections + 20, uint32_t(s.size()), 4); }, false},
      {"a certificate table past the end",
       [&](std::string& s) {
         Put(s, optional + 128, uint32_t(s.size() - 8), 4);
         Put(s, optional + 132, 16, 4);
       },
       false},
  };
  for (const Row& row : rows) {
    std::string file = program;
    row.change(file);
    EXPECT_EQ(Check(file), row.accepted) << row.what;
  }
  EXPECT_FALSE(Check(Built("trskin.dll"))) << "a DLL is no program";
}

}  // namespace
}  // namespace trr
