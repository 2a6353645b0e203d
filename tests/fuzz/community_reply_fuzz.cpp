// The community directory's readers on any bytes: the first byte picks the reader (station listing, server list,
// look-up reply, cache file) or the station address rule, the rest is its input. What they return keeps the
// promises the player relies on: ids safe in a path and a cache line, addresses printable ASCII, stable under
// cleaning and on public hosts, server names unique, and a cache that reads back writes back to a cache that
// reads the same. The rule refuses what it must whatever surrounds it: user names, backslashes, other schemes,
// dotted quads of loopback and private networks.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/community/community_directory.h"
#include "player/community/community_reply.h"
#include "player/community/station_address_rule.h"

namespace {

void CheckAddress(const std::string& address) {
  if (address.empty()) return;
  if (trr::CleanStreamAddress(address) != address || !trr::IsPublicStationAddress(address)) __builtin_trap();
}

// A strict dotted quad "a.b.c.d" (decimal, 0..255) as a number; false for anything else.
bool StrictQuad(std::string_view host, uint32_t& address) {
  uint32_t value = 0;
  int parts = 0;
  size_t digits = 0;
  unsigned part = 0;
  for (size_t i = 0; i <= host.size(); ++i) {
    if (i == host.size() || host[i] == '.') {
      if (digits == 0 || digits > 3 || part > 255) return false;
      value = (value << 8) | part;
      ++parts;
      digits = part = 0;
      continue;
    }
    if (host[i] < '0' || host[i] > '9') return false;
    part = part * 10 + static_cast<unsigned>(host[i] - '0');
    ++digits;
  }
  address = value;
  return parts == 4;
}

void CheckRule(std::string_view input) {
  const bool accepted = trr::IsPublicStationAddress(input);
  // The scheme's letter case changes nothing.
  std::string flipped(input);
  for (size_t i = 0; i < flipped.size() && i < 5; ++i) {
    char& c = flipped[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (trr::IsPublicStationAddress(flipped) != accepted) __builtin_trap();
  if (!accepted) return;
  if (input.size() <= trr::kMaxStreamAddressBytes && trr::CleanStreamAddress(input) != input) __builtin_trap();
  const size_t start = input.find("://") + 3;
  if (start < 7 || start > 8) __builtin_trap();
  const size_t end = input.find_first_of("/?#", start);
  const std::string_view authority = input.substr(start, end == std::string_view::npos ? end : end - start);
  if (authority.empty() || authority.find_first_of("@\\%") != std::string_view::npos) __builtin_trap();
  uint32_t address = 0;
  if (StrictQuad(authority.substr(0, authority.rfind(':') < authority.size() ? authority.rfind(':') : authority.size()),
                 address)) {
    const uint32_t top = address >> 24;
    if (top == 0 || top == 10 || top == 127 || top >= 224 || (address >> 16) == 0xC0A8 || (address >> 16) == 0xA9FE ||
        (address >> 20) == 0xAC1)
      __builtin_trap();
  }
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
  // '0' to '4' pick the readers in order, as the seeds begin.
  switch ((data[0] + 256u - '0') % 5) {
    case 0:
      CheckStations(input);
      break;
    case 1:
      CheckServers(input);
      break;
    case 2:
      CheckAddress(trr::ParseStationUrlReply(input));
      break;
    case 3:
      CheckCache(input);
      break;
    default:
      CheckRule(input);
      break;
  }
  return 0;
}
