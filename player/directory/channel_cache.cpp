#include "player/directory/channel_cache.h"

#include <utility>

#include "common/file_util.h"

namespace trr {

std::string ChannelCachePath(const std::string& programDirectory) { return programDirectory + "\\GB.Dat"; }

namespace {

// What the file holds; a missing, unreadable or oversized file reads as an empty directory.
DirectoryResult ReadCache(const std::string& cachePath) {
  std::string document;
  ReadWholeFile(cachePath, document, kMaxChannelDirectoryBytes);
  DirectoryResult result;
  result.groups = ParseChannelDocument(document).groups;
  return result;
}

}  // namespace

DirectoryResult ReadOrFetchDirectory(const std::string& cachePath, const std::string& url,
                                     const std::function<void()>& onRequestSent, CacheOutcome* outcome) {
  CacheOutcome ignored;
  CacheOutcome& way = outcome ? *outcome : ignored;
  // A write of the cache cut short by an earlier process's end leaves its temporary file: none outlives a start.
  RemoveLeftoverTemporaries(cachePath);
  if (FileExists(cachePath)) {
    if (onRequestSent) onRequestSent();
    way = CacheOutcome::AlreadyPresent;
    return ReadCache(cachePath);
  }
  DirectoryResult result;
  result.fetchedBytes = HttpGet(url, kChannelDirectoryLimits, kPlayerAgent, onRequestSent);
  if (result.fetchedBytes.empty()) {
    way = CacheOutcome::FetchFailed;
    return result;
  }
  ChannelDirectory directory = ParseChannelDocument(result.fetchedBytes);
  if (!directory.WorthKeeping()) {
    way = CacheOutcome::NotADirectory;
    return result;
  }
  if (!WriteFileAtomically(cachePath, result.fetchedBytes)) {
    // Shown only what the cache file holds, as ever: here nothing.
    way = CacheOutcome::WriteFailed;
    return result;
  }
  way = CacheOutcome::Fetched;
  result.groups = std::move(directory.groups);
  return result;
}

}  // namespace trr
