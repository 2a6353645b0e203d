// Whole-file and path helpers. Paths are GBK text, as the ANSI file functions take them.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace trr {

// The length of the next ReadFile or WriteFile call for `remaining` bytes: the calls take a 32-bit length, so
// a larger buffer goes in pieces of at most 1 GiB rather than through a length cut to 32 bits.
inline unsigned long IoChunk(size_t remaining) {
  constexpr size_t kMax = size_t(1) << 30;
  return static_cast<unsigned long>(remaining < kMax ? remaining : kMax);
}

// Directory of the running executable, without a trailing separator; empty on failure.
std::string ModuleDirectory();

// Current directory of the process, without a trailing separator; empty on failure.
std::string CurrentDirectory();

bool FileExists(const std::string& path);

// Files larger than this are not read unless the caller states a larger limit.
constexpr size_t kDefaultWholeFileLimit = 64 * 1024 * 1024;

// Reads the whole file into `bytes`; false (and `bytes` empty) when it cannot be opened or read, or holds more
// than `maxBytes` bytes.
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = kDefaultWholeFileLimit);

// Creates or replaces the file with exactly `bytes`; false on any failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// Writes `bytes` to a temporary file beside `path` (`path` + ".tmp" + the process id), then renames it over
// `path`, so that a crash never leaves a half-written file under the final name. Temporary files of earlier
// writes of `path` that were cut short are removed first (RemoveLeftoverTemporaries). False (and the old file
// untouched) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Deletes the temporary files that WriteFileAtomically left beside `path` when a process ended during a write:
// those named `path` + ".tmp" + digits whose process is no longer running (or is this one, not writing `path`
// at the time). Returns the number deleted.
int RemoveLeftoverTemporaries(const std::string& path);

// Renames the open `file` (opened with DELETE access) to `newPath`, replacing a file there. The rename goes
// through the handle, so the file renamed is exactly the one open, whatever happens to the names meanwhile.
// False, with the thread's last error set, when refused (for example ERROR_ACCESS_DENIED while a program has
// the file at `newPath` open, as a running program keeps its own).
bool RenameOpenFile(HANDLE file, const std::string& newPath);

// Marks the open `file` (opened with DELETE access) for deletion once its handles are closed; false when
// refused.
bool DeleteOpenFile(HANDLE file);

// Deletes the file; true when it is gone afterwards (a missing file counts as deleted).
bool DeleteFileIfPresent(const std::string& path);

}  // namespace trr
