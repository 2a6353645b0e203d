#include "common/file_util.h"

#include <gtest/gtest.h>

#include "common/scoped_win.h"
#include "tests/harness/temp_dir.h"

namespace trr {
namespace {

TEST(FileUtil, WholeFilesRoundTripAndAtomicWritesReplace) {
  test::ScopedTempDir dir;
  std::string path = dir.File("GB.Dat");
  EXPECT_FALSE(FileExists(path));
  std::string bytes;
  EXPECT_FALSE(ReadWholeFile(path, bytes));

  std::string content("a\0b\r\n中文", 9);
  ASSERT_TRUE(WriteWholeFile(path, content));
  EXPECT_TRUE(FileExists(path));
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, content);

  ASSERT_TRUE(WriteFileAtomically(path, "replaced"));
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "replaced");

  ASSERT_TRUE(WriteWholeFile(path, ""));
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "");

  EXPECT_TRUE(DeleteFileIfPresent(path));
  EXPECT_TRUE(DeleteFileIfPresent(path));
  EXPECT_FALSE(FileExists(path));
  // A directory is not a file.
  EXPECT_FALSE(FileExists(dir.path()));
  // Writing into a missing directory fails and leaves nothing.
  EXPECT_FALSE(WriteFileAtomically(dir.File("no\\such\\dir.dat"), "x"));
}

// A write cut short by the process ending leaves its temporary file, named after the process; the next write (or
// the next start) removes those whose process is gone, and leaves any other file alone.
TEST(FileUtil, TemporariesOfWritesCutShortAreRemoved) {
  test::ScopedTempDir dir;
  const std::string path = dir.File("Community.Dat");
  const std::string gone = path + ".tmp4000000002", other = path + ".tmpx1", mine = path + ".tmp" +
                           std::to_string(GetCurrentProcessId());
  for (const std::string& name : {gone, other, mine, dir.File("GB.Dat.tmp4000000002")})
    ASSERT_TRUE(WriteWholeFile(name, "cut"));
  // A temporary still open for writing (a process writing it now) refuses to go.
  const std::string busy = path + ".tmp4000000006";
  ScopedHandle open(CreateFileA(busy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(open);
  EXPECT_EQ(RemoveLeftoverTemporaries(path), 2);
  EXPECT_FALSE(FileExists(gone));
  EXPECT_FALSE(FileExists(mine));
  EXPECT_TRUE(FileExists(other));
  EXPECT_TRUE(FileExists(busy));
  EXPECT_TRUE(FileExists(dir.File("GB.Dat.tmp4000000002"))) << "another file's temporaries stay";
  open.reset();

  ASSERT_TRUE(WriteWholeFile(gone, "cut again"));
  ASSERT_TRUE(WriteFileAtomically(path, "whole"));
  EXPECT_FALSE(FileExists(gone));
  EXPECT_FALSE(FileExists(busy));
  EXPECT_FALSE(FileExists(mine)) << "its own temporary was renamed";
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "whole");
}

TEST(FileUtil, DirectoriesHaveNoTrailingSeparator) {
  std::string module = ModuleDirectory();
  ASSERT_FALSE(module.empty());
  EXPECT_NE(module.back(), '\\');
  EXPECT_TRUE(FileExists(module + "\\common_io_test.exe"));
  std::string current = CurrentDirectory();
  ASSERT_FALSE(current.empty());
  EXPECT_NE(current.back(), '\\');
}

}  // namespace
}  // namespace trr
