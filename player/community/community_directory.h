// The community station list as the player shows and caches it, and its cache file "Community.Dat". Names here
// are GBK display text (community_names.h makes them). Pure text work, no windows.
//
// Cache file format, lines ending in CR LF, fields separated by a tab:
//   TRRADIO COMMUNITY 1
//   fetched <TAB> seconds since 1970-01-01 UTC
//   server <TAB> base address that served the listing (may be empty)
//   group <TAB> name                                 one per group, in display order
//   station <TAB> uuid <TAB> address <TAB> name      the group's rows, in display order
//   end <TAB> groups <TAB> stations
// Display names, ids and addresses never hold a tab, CR, LF or other control byte (GBK trail bytes are
// 0x40..0xFE, so a byte-wise split is safe); a file that breaks any rule, lacks its end line, whose counts
// differ or that holds more station text than the directory may is no cache at all. A station whose address
// IsPublicStationAddress refuses (an empty one included, as earlier versions wrote them) is read but not
// listed, and neither is a group left without a station.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trr {

// Longest display name of a row or group, in GBK bytes.
constexpr size_t kMaxDisplayNameBytes = 96;
// The most station text (ids, addresses and names of the rows together) the community directory holds.
constexpr size_t kMaxCommunityStationText = 8 * 1024 * 1024;
// The largest cache file the player reads: more than a directory within kMaxCommunityStationText makes, with
// its line overhead and kMaxChannelRows rows.
constexpr size_t kMaxCommunityCacheBytes = 16 * 1024 * 1024;
// A cached listing older than this is fetched again.
constexpr int64_t kCommunityCacheMaxAgeSeconds = 24 * 60 * 60;

struct CommunityRow {
  std::string uuid;     // IsStationUuid
  std::string address;  // CleanStreamAddress and IsPublicStationAddress: played when the look-up fails
  std::string name;     // IsDisplayName
};

// The station text of `row`, as counted against kMaxCommunityStationText.
inline size_t StationTextBytes(const CommunityRow& row) {
  return row.uuid.size() + row.address.size() + row.name.size();
}

struct CommunityGroup {
  std::string name;  // IsDisplayName
  std::vector<CommunityRow> rows;
};

struct CommunityDirectory {
  int64_t fetchedAt = 0;  // seconds since 1970-01-01 UTC
  std::string server;     // base address of the API server that served it; empty when unknown
  std::vector<CommunityGroup> groups;

  size_t RowCount() const;
};

// 1 to kMaxDisplayNameBytes bytes, none of them a control byte (below 0x20, or 0x7F).
bool IsDisplayName(std::string_view name);

// The cache file's bytes for `directory`.
std::string FormatCommunityCache(const CommunityDirectory& directory);

// Reads a cache file; false (and `directory` empty) when `bytes` is not a whole, well-formed cache as
// FormatCommunityCache writes it, or holds more groups or rows than the channel list takes or more station text
// than kMaxCommunityStationText. Stations with an address IsPublicStationAddress refuses, and groups left
// without stations, are left out.
bool ParseCommunityCache(std::string_view bytes, CommunityDirectory& directory);

// True when a listing fetched at `fetchedAt` is to be fetched again at `now`: older than
// kCommunityCacheMaxAgeSeconds, or dated in the future (a clock set back).
bool IsCommunityCacheStale(int64_t fetchedAt, int64_t now);

}  // namespace trr
