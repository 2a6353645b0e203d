#include "player/community/community_cache.h"

#include <windows.h>

#include "common/file_util.h"

namespace trr {

std::string CommunityCachePath(const std::string& programDirectory) { return programDirectory + "\\Community.Dat"; }

int64_t UnixTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr uint64_t kTicksPerSecond = 10000000, kSecondsFrom1601To1970 = 11644473600ULL;
  return static_cast<int64_t>(ticks / kTicksPerSecond) - static_cast<int64_t>(kSecondsFrom1601To1970);
}

bool ReadCommunityCache(const std::string& cachePath, CommunityDirectory& directory) {
  directory = CommunityDirectory();
  std::string bytes;
  if (!ReadWholeFile(cachePath, bytes, kMaxCommunityCacheBytes)) return false;
  // A list without stations lists nothing: no cache.
  if (!ParseCommunityCache(bytes, directory) || directory.RowCount() == 0) {
    directory = CommunityDirectory();
    return false;
  }
  return true;
}

}  // namespace trr
