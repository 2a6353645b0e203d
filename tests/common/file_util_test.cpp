#include "common/file_util.h"

#include <gtest/gtest.h>

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
