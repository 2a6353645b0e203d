// The built-in channel directory document: group names between "<type>" and "</type>", station lines between
// "<tvdata>" and "</tvdata>" (name|id|group|...). Pure text work, no windows.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "player/list/station_groups.h"

namespace trr {

// The largest directory the player fetches or reads from its cache file.
constexpr size_t kMaxChannelDirectoryBytes = 16 * 1024 * 1024;

// One reading of a document: what the list shows, and whether the document is worth keeping as the cache.
struct ChannelDirectory {
  std::vector<ChannelGroup> groups;  // in display order
  bool stationListCut = false;       // "<tvdata>" is there but no "</tvdata>" after it: a body cut short

  // A channel directory worth keeping in the cache file: at least one group, and no station list cut short.
  bool WorthKeeping() const { return !groups.empty() && !stationListCut; }
};

// Reads the document once. The groups come in display order, each with the stations whose third field equals
// its name byte for byte; a group listed twice appears twice with the same stations. Lines with fewer than
// three fields and empty group names are skipped; a missing section gives no groups (no "<type>") or empty
// groups (no "<tvdata>"). The groups stop at kMaxChannelGroups and the stations at kMaxChannelRows in all: the
// group that reaches the row limit keeps the stations that fit, the groups after it are left out. Never
// fails: bad input gives fewer groups or stations. Time linear in the document; memory beyond the result at
// most one 32-bit offset per station line of a shown group.
ChannelDirectory ParseChannelDocument(std::string_view document);

// The stream look-up address of a station: the directory server followed by "/Url.Asp?ID=" and the id,
// appended unchanged (no escaping).
std::string StationLookupUrl(std::string_view stationId);

}  // namespace trr
