// Whether a file is a whole Windows program of this build's own architecture: the check a downloaded player passes before it may replace
// the installed one. Besides the signatures it checks that everything the headers place in the file (the
// headers, each section's raw data, the symbol and string tables, the certificate table) lies inside it, which
// catches a file cut short when no size was announced. Pure: the bytes come through a reader.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace trr {

// Copies `length` bytes from `offset` of the file into `out`; false when they cannot all be read.
using FileReader = std::function<bool(uint64_t offset, void* out, size_t length)>;

// True when the file of `fileSize` bytes has an "MZ" header, the PE signature, this build's machine (i386 and a
// PE32 optional header in the 32-bit updater, x86-64 and PE32+ in the 64-bit one: the updater only ever installs
// a player that runs where it runs itself), the executable-image flag (and not the DLL flag), at least one
// section, and its headers,
// sections' raw data, symbol table with string table and certificate table all inside the file. False otherwise,
// and when a needed read fails.
bool IsWholeWindowsProgram(uint64_t fileSize, const FileReader& read);

// The same for an open file (read access needed; the file position is not used). False when it cannot be read.
bool IsWholeWindowsProgram(HANDLE file);

}  // namespace trr
