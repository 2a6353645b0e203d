// The channel directory parser on any document: groups have names without ";", stations' fields hold no
// separator, the group and row limits hold, a document accepted for the cache yields groups, and every
// station's look-up address can be built.
#include "common/server_address.h"
#include "player/directory/channel_document.h"

// The address prefix comes from the environment in the programs; any fixed one serves here.
std::string trr::DirectoryServerUrl() { return "http://127.0.0.1"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view document(reinterpret_cast<const char*>(data), size);
  const trr::ChannelDirectory directory = trr::ParseChannelDocument(document);
  const std::vector<trr::ChannelGroup>& groups = directory.groups;
  if (groups.size() > trr::kMaxChannelGroups) __builtin_trap();
  if (directory.WorthKeeping() && groups.empty()) __builtin_trap();
  size_t rows = 0;
  for (const trr::ChannelGroup& group : groups) {
    rows += group.stations.size();
    if (rows > trr::kMaxChannelRows) __builtin_trap();
    if (group.name.empty() || group.name.find(';') != std::string::npos) __builtin_trap();
    for (const trr::Station& station : group.stations) {
      if ((station.name + station.id).find('|') != std::string::npos) __builtin_trap();
      if (station.id.find("\r\n") != std::string::npos) __builtin_trap();
      trr::StationLookupUrl(station.id);
    }
  }
  return 0;
}
