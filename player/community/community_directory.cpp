#include "player/community/community_directory.h"

#include <algorithm>

#include "player/community/community_reply.h"
#include "player/community/station_address_rule.h"
#include "player/list/station_groups.h"

namespace trr {
namespace {

constexpr std::string_view kMagic = "TRRADIO COMMUNITY 1";

// Splits `line` at tabs into exactly `count` fields; false for any other number.
bool SplitFields(std::string_view line, std::string_view* fields, size_t count) {
  size_t begin = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t tab = line.find('\t', begin);
    if ((tab == std::string_view::npos) != (i + 1 == count)) return false;
    fields[i] = line.substr(begin, tab == std::string_view::npos ? std::string_view::npos : tab - begin);
    begin = tab + 1;
  }
  return true;
}

// A decimal number of at most 18 digits, so that it cannot overflow; false for anything else.
bool ReadNumber(std::string_view text, int64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// The API server's address: empty, or as clean as a stream address (the server is not under the station rule).
bool IsCachedServer(std::string_view address) {
  return address.empty() || CleanStreamAddress(address) == address;
}

// A station's address that may be listed.
bool IsListableAddress(std::string_view address) {
  return CleanStreamAddress(address) == address && IsPublicStationAddress(address);
}

// The largest file FormatCommunityCache writes for a directory within the limits, with room for its server.
constexpr size_t kLargestCacheWritten = kMaxCommunityStationText + kMaxChannelRows * 12 +
                                        kMaxChannelGroups * (kMaxDisplayNameBytes + 8) + kMaxStreamAddressBytes +
                                        256;
static_assert(kLargestCacheWritten <= kMaxCommunityCacheBytes, "a cache written must be one that is read");

}  // namespace

size_t CommunityDirectory::RowCount() const {
  size_t rows = 0;
  for (const CommunityGroup& group : groups) rows += group.rows.size();
  return rows;
}

bool IsDisplayName(std::string_view name) {
  if (name.empty() || name.size() > kMaxDisplayNameBytes) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::string FormatCommunityCache(const CommunityDirectory& directory) {
  std::string out;
  out.reserve(64 + directory.RowCount() * 160);
  out.append(kMagic).append("\r\n");
  out.append("fetched\t").append(std::to_string(std::max<int64_t>(0, directory.fetchedAt))).append("\r\n");
  out.append("server\t").append(directory.server).append("\r\n");
  for (const CommunityGroup& group : directory.groups) {
    out.append("group\t").append(group.name).append("\r\n");
    for (const CommunityRow& row : group.rows)
      out.append("station\t").append(row.uuid).append("\t").append(row.address).append("\t").append(row.name)
          .append("\r\n");
  }
  out.append("end\t").append(std::to_string(directory.groups.size())).append("\t")
      .append(std::to_string(directory.RowCount())).append("\r\n");
  return out;
}

bool ParseCommunityCache(std::string_view bytes, CommunityDirectory& directory) {
  directory = CommunityDirectory();
  CommunityDirectory read;
  size_t groups = 0, rows = 0, text = 0;  // as the lines give them, listed or not
  bool ended = false;
  size_t lineNumber = 0;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t end = bytes.find("\r\n", begin);
    if (end == std::string_view::npos || ended) return false;  // a cut last line, or text after the end line
    const std::string_view line = bytes.substr(begin, end - begin);
    begin = end + 2;
    std::string_view f[4];
    switch (lineNumber++) {
      case 0:
        if (line != kMagic) return false;
        continue;
      case 1:
        if (!SplitFields(line, f, 2) || f[0] != "fetched" || !ReadNumber(f[1], read.fetchedAt)) return false;
        continue;
      case 2:
        if (!SplitFields(line, f, 2) || f[0] != "server" || !IsCachedServer(f[1])) return false;
        read.server = std::string(f[1]);
        continue;
      default:
        break;
    }
    if (SplitFields(line, f, 2) && f[0] == "group") {
      if (!IsDisplayName(f[1]) || groups == kMaxChannelGroups) return false;
      ++groups;
      read.groups.push_back(CommunityGroup{std::string(f[1]), {}});
    } else if (SplitFields(line, f, 4) && f[0] == "station") {
      if (groups == 0 || !IsStationUuid(f[1]) || CleanStreamAddress(f[2]) != f[2] || !IsDisplayName(f[3]) ||
          rows == kMaxChannelRows)
        return false;
      ++rows;
      text += f[1].size() + f[2].size() + f[3].size();
      if (text > kMaxCommunityStationText) return false;
      if (IsListableAddress(f[2]))
        read.groups.back().rows.push_back(CommunityRow{std::string(f[1]), std::string(f[2]), std::string(f[3])});
    } else if (SplitFields(line, f, 3) && f[0] == "end") {
      // Compared as 64-bit numbers: a count cut to a 32-bit size_t could match a different one.
      int64_t groupCount = 0, stationCount = 0;
      if (!ReadNumber(f[1], groupCount) || !ReadNumber(f[2], stationCount) ||
          groupCount != static_cast<int64_t>(groups) || stationCount != static_cast<int64_t>(rows))
        return false;
      ended = true;
    } else {
      return false;
    }
  }
  if (!ended) return false;
  read.groups.erase(std::remove_if(read.groups.begin(), read.groups.end(),
                                   [](const CommunityGroup& group) { return group.rows.empty(); }),
                    read.groups.end());
  directory = std::move(read);
  return true;
}

bool IsCommunityCacheStale(int64_t fetchedAt, int64_t now) {
  constexpr int64_t kClockSlackSeconds = 5 * 60;
  return now - fetchedAt >= kCommunityCacheMaxAgeSeconds || fetchedAt > now + kClockSlackSeconds;
}

}  // namespace trr
