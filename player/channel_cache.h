// The channel cache file "GB.Dat" beside the player: fetched from the directory server only when it is missing.
#pragma once
#include <string>

#include "common/http_fetch.h"
#include "player/channel_document.h"

namespace trr {

// The directory fetch: a slow link may take its time as long as bytes keep coming.
constexpr FetchLimits kChannelDirectoryLimits = {kMaxChannelDirectoryBytes, 5000, 10000, 120000};

enum class CacheOutcome {
  AlreadyPresent,  // the file exists (even empty): used as it is, nothing fetched
  Fetched,         // fetched and written
  FetchFailed,     // the fetch failed or came back empty: nothing written, the next start tries again
  NotADirectory,   // a reply came, but not a channel directory (a login page, a cut body): nothing written
  WriteFailed,     // fetched, but the file could not be written
};

// Program directory + "\GB.Dat".
std::string ChannelCachePath(const std::string& programDirectory);

// When no file exists at `cachePath`, GETs `url` within kChannelDirectoryLimits, keeps the body in `body` and,
// when it is a channel directory (IsChannelDirectory), writes it to `cachePath` in one piece (a temporary file
// renamed over it). Anything else is not written: it would stand for the directory for good. `body` is left
// untouched when the file already exists.
CacheOutcome EnsureChannelCache(const std::string& cachePath, const std::string& url, std::string& body);

}  // namespace trr
