// Starting other programs.
#pragma once
#include <string>

namespace trr {

// Starts the program at `path` with no arguments, in its default window mode, without waiting for it. The
// child's current directory is the caller's. False when it could not be started.
bool StartProgram(const std::string& path);

}  // namespace trr
