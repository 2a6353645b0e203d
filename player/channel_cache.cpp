#include "player/channel_cache.h"

#include "common/file_util.h"
#include "common/http_fetch.h"

namespace trr {

std::string ChannelCachePath(const std::string& programDirectory) { return programDirectory + "\\GB.Dat"; }

CacheOutcome EnsureChannelCache(const std::string& cachePath, const std::string& url, std::string& body) {
  if (FileExists(cachePath)) return CacheOutcome::AlreadyPresent;
  body = HttpGet(url);
  if (body.empty()) return CacheOutcome::FetchFailed;
  return WriteFileAtomically(cachePath, body) ? CacheOutcome::Fetched : CacheOutcome::WriteFailed;
}

}  // namespace trr
