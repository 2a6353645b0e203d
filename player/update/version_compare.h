// Comparing the announced version with the player's own. Pure text work.
#pragma once
#include <string_view>

namespace trr {

// True when `remoteVersion` is a greater number than `ownVersion`, both read as single-precision numbers
// (text that is not a number reads as 0, so it never announces an update).
bool IsNewerVersion(std::string_view ownVersion, std::string_view remoteVersion);

}  // namespace trr
