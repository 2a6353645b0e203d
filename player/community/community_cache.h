// The community cache file "Community.Dat" beside the player: the last complete station list of the community
// directory, refreshed when older than a day (format in community_directory.h; the refresh is
// RefreshCommunityCache in community_fetch.h).
#pragma once
#include <cstdint>
#include <string>

#include "player/community/community_directory.h"

namespace trr {

// Program directory + "\Community.Dat".
std::string CommunityCachePath(const std::string& programDirectory);

// Seconds since 1970-01-01 UTC by the system clock.
int64_t UnixTimeNow();

// Reads the cache file; false (and `directory` empty) when it is missing, unreadable, larger than
// kMaxCommunityCacheBytes, not a whole cache, or without a single station.
bool ReadCommunityCache(const std::string& cachePath, CommunityDirectory& directory);

}  // namespace trr
