// What the player keeps of its station sources on the window thread: which source the list shows, and the
// community directory's cache read, fetch, station table and address look-up.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "player/community_directory.h"
#include "player/community_loader.h"
#include "player/directory_source.h"
#include "player/one_job_worker.h"
#include "player/station_lookup.h"

namespace trr {

enum class ListedSource {
  None,       // nothing listed yet
  Builtin,    // the built-in directory (GB.Dat)
  Community,  // the community directory (Community.Dat or a fetch)
};

// What a community job found: the cache file's list, or a fetch's.
struct CommunityListResult {
  bool listed = false;  // `directory` holds a list with stations
  bool stale = false;   // a cached list due for a refresh
  CommunityDirectory directory;
};

struct CommunityState {
  DirectorySource source = DirectorySource::Builtin;
  ListedSource listed = ListedSource::None;
  std::string cachePath;            // program directory + "\Community.Dat"
  bool builtinGaveNothing = false;  // the built-in directory yields no list, or is not used
  bool cacheStarted = false;        // Community.Dat is being read or has been
  bool cacheRead = false;           // ... and its result has arrived
  bool cacheFresh = false;          // it held a list younger than a day
  bool fetchStarted = false;
  std::unique_ptr<OneJobWorker<CommunityListResult>> cacheWorker;
  std::unique_ptr<OneJobWorker<CommunityListResult>> fetchWorker;
  std::unique_ptr<StationLookup> lookup;  // made at the first double-click of a community row
  CommunityAddressTable addresses;        // the table beside the list: station id -> listing address
  std::string server;                     // API server of the listed stations; empty when unknown
  size_t rows = 0;                        // rows listed from the community directory
};

}  // namespace trr
