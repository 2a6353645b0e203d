// The community directory's readers on any bytes: the first byte picks the reader (station listing, server list,
// look-up reply, cache file), the rest is its input. What they return keeps the promises the player relies on:
// ids safe in a path and a cache line, addresses printable ASCII and stable under cleaning, server names unique,
// and a cache that reads back writes back to a cache that reads the same.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/community/community_directory.h"
#include "player/community/community_reply.h"

namespace {

void CheckAddress(const std::string& address) {
  if (!address.empty() && trr::CleanStreamAddress(address) != address) __builtin_trap();
}

void CheckStations(std::string_view input) {
  std::vector<trr::CommunityStation> stations;
  if (!trr::ParseCommunityStations(input, stations) && !stations.empty()) __builtin_trap();
  for (const trr::CommunityStation& s : stations) {
    if (!trr::IsStationUuid(s.uuid) || s.name.size() > trr::kMaxCommunityNameBytes) __builtin_trap();
    if (!s.countryCode.empty() && s.countryCode.size() != 2) __builtin_trap();
    CheckAddress(s.address);
  }
}

void CheckServers(std::string_view input) {
  std::vector<std::string> hosts;
  trr::ParseCommunityServers(input, hosts);
  for (size_t i = 0; i < hosts.size(); ++i) {
    if (hosts[i].empty() || hosts[i].find_first_of("/?#@ \t\r\n") != std::string::npos) __builtin_trap();
    for (size_t j = 0; j < i; ++j)
      if (hosts[i] == hosts[j]) __builtin_trap();
  }
}

bool SameDirectory(const trr::CommunityDirectory& a, const trr::CommunityDirectory& b) {
  if (a.fetchedAt != b.fetchedAt || a.server != b.server || a.groups.size() != b.groups.size()) return false;
  for (size_t g = 0; g < a.groups.size(); ++g) {
    if (a.groups[g].name != b.groups[g].name || a.groups[g].rows.size() != b.groups[g].rows.size()) return false;
    for (size_t r = 0; r < a.groups[g].rows.size(); ++r) {
      const trr::CommunityRow &x = a.groups[g].rows[r], &y = b.groups[g].rows[r];
      if (x.uuid != y.uuid || x.address != y.address || x.name != y.name) return false;
    }
  }
  return true;
}

void CheckCache(std::string_view input) {
  trr::CommunityDirectory directory;
  if (!trr::ParseCommunityCache(input, directory)) {
    if (!directory.groups.empty()) __builtin_trap();
    return;
  }
  for (const trr::CommunityGroup& group : directory.groups) {
    if (!trr::IsDisplayName(group.name)) __builtin_trap();
    for (const trr::CommunityRow& row : group.rows) {
      if (!trr::IsStationUuid(row.uuid) || !trr::IsDisplayName(row.name)) __builtin_trap();
      CheckAddress(row.address);
    }
  }
  trr::CommunityDirectory again;
  const std::string written = trr::FormatCommunityCache(directory);
  if (!trr::ParseCommunityCache(written, again) || !SameDirectory(directory, again)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0:
      CheckStations(input);
      break;
    case 1:
      CheckServers(input);
      break;
    case 2:
      CheckAddress(trr::ParseStationUrlReply(input));
      break;
    default:
      CheckCache(input);
      break;
  }
  return 0;
}
