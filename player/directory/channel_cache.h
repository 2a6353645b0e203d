// The channel cache file "GB.Dat" beside the player, and the player's directory job: the directory is read from
// that file, or fetched from the directory server when the file is missing.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/http_fetch.h"
#include "player/directory/channel_document.h"

namespace trr {

// What the directory job found.
struct DirectoryResult {
  std::vector<ChannelGroup> groups;  // what the list shows, in display order; empty: an empty list
  std::string fetchedBytes;          // the reply the job fetched, if it fetched one; empty otherwise
};

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

// The player's directory job; blocking, so it runs on a worker (BuiltinDirectoryJob). Temporary files that a cut
// write of `cachePath` left are removed first (RemoveLeftoverTemporaries). When a file exists at `cachePath`
// (even an empty one) it is read, up to kMaxChannelDirectoryBytes (a larger or unreadable file reads as
// empty), and nothing is fetched. Otherwise `url` is fetched within kChannelDirectoryLimits and the reply is
// read once, for both uses: when it is worth keeping (ChannelDirectory::WorthKeeping) it is written to
// `cachePath` in one piece (a temporary file renamed over it) and its groups are the result; anything else is
// neither written (it would stand for the directory for good) nor shown, and the list stays empty as after a
// failed fetch. The fetched reply, whatever it is, comes back in fetchedBytes. `onRequestSent`, when given,
// is called exactly once, on some worker thread: when the directory request has gone out, when it could not,
// or at once when nothing is fetched. `outcome`, when given, says which way it went.
DirectoryResult ReadOrFetchDirectory(const std::string& cachePath, const std::string& url,
                                     const std::function<void()>& onRequestSent = {},
                                     CacheOutcome* outcome = nullptr);

}  // namespace trr
