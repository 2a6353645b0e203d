#include "player/channel_cache.h"

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "player/channel_document.h"

namespace trr {

std::string ChannelCachePath(const std::string& programDirectory) { return programDirectory + "\\GB.Dat"; }

CacheOutcome EnsureChannelCache(const std::string& cachePath, const std::string& url, std::string& body) {
  if (FileExists(cachePath)) return CacheOutcome::AlreadyPresent;
  body = HttpGet(url, kChannelDirectoryLimits);
  if (body.empty()) return CacheOutcome::FetchFailed;
  if (!IsChannelDirectory(body)) return CacheOutcome::NotADirectory;
  return WriteFileAtomically(cachePath, body) ? CacheOutcome::Fetched : CacheOutcome::WriteFailed;
}

}  // namespace trr
