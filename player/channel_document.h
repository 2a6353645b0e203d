// The channel directory document: group names between "<type>" and "</type>", station lines between
// "<tvdata>" and "</tvdata>" (name|id|group|...). Pure text work, no windows.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace trr {

struct Station {
  std::string name;  // field 1
  std::string id;    // field 2
};

struct ChannelGroup {
  std::string name;
  std::vector<Station> stations;  // in the order of their lines
};

// The groups of the document in display order, each with the stations whose third field equals its name byte
// for byte. A group listed twice appears twice with the same stations. Lines with fewer than three fields and
// empty group names are skipped; a missing section gives no groups (no "<type>") or empty groups (no
// "<tvdata>"). Never fails: bad input gives fewer groups or stations.
std::vector<ChannelGroup> ParseChannelDocument(std::string_view document);

// The stream look-up address of a station: the directory server followed by "/Url.Asp?ID=" and the id,
// appended unchanged (no escaping).
std::string StationLookupUrl(std::string_view stationId);

}  // namespace trr
