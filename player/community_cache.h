// The community cache file "Community.Dat" beside the player: the last complete station list of the community
// directory, refreshed when older than a day (format in community_directory.h).
#pragma once
#include <cstdint>
#include <string>

#include "player/community_directory.h"
#include "player/community_fetch.h"

namespace trr {

// Program directory + "\Community.Dat".
std::string CommunityCachePath(const std::string& programDirectory);

// Seconds since 1970-01-01 UTC by the system clock.
int64_t UnixTimeNow();

// Reads the cache file; false (and `directory` empty) when it is missing, unreadable, larger than
// kMaxCommunityCacheBytes, not a whole cache, or without a single station.
bool ReadCommunityCache(const std::string& cachePath, CommunityDirectory& directory);

// Fetches the station list (FetchCommunityDirectory) and, when every group's reply was a listing, writes it to
// `cachePath` in one piece (a temporary file renamed over it). True when `directory` holds the fetched list;
// false, with nothing written and `directory` empty, when the fetch was incomplete or found no station. A list that was fetched but
// could not be written is still returned.
bool RefreshCommunityCache(const CommunityGet& get, const std::string& cachePath, CommunityDirectory& directory);

}  // namespace trr
