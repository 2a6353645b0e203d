// A fresh directory for one test, removed with everything in it at the end.
#pragma once
#include <string>

namespace trr::test {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  // Path without a trailing separator.
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Copies a file; false on failure.
bool CopyFileTo(const std::string& from, const std::string& to);

// Directory of the built programs (TRRADIO_BIN_DIR as a Windows path), without a trailing separator.
std::string BinDirectory();

}  // namespace trr::test
