// Replies of the community radio directory's JSON API, read from their UTF-8 bytes: station listings, the list
// of API servers and the answer of a station's address look-up. Pure text work, no windows; the conversion of
// names to GBK is a separate step (community_names.h). Nothing here throws.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace trr {

// The largest reply of the community directory the player reads.
constexpr size_t kMaxCommunityReplyBytes = 4 * 1024 * 1024;
// Longest station name kept from a reply, in UTF-8 bytes (cut on a character boundary).
constexpr size_t kMaxCommunityNameBytes = 512;
// Longest stream address kept, after escaping.
constexpr size_t kMaxStreamAddressBytes = 2048;
// Longest station id kept (the directory's ids are 36-character UUIDs).
constexpr size_t kMaxStationUuidBytes = 64;

struct CommunityStation {
  std::string uuid;         // IsStationUuid
  std::string name;         // UTF-8 as sent (valid UTF-8, possibly empty), at most kMaxCommunityNameBytes
  std::string countryCode;  // two ASCII capitals, or empty
  std::string address;      // url_resolved, else url, through CleanStreamAddress and IsPublicStationAddress;
                            // empty when neither passes
};

// The stations of a listing reply (a JSON array of station objects), in reply order. Stations without a
// usable id are left out. False (and `stations` empty) when the reply is not such an array: not JSON, cut
// short, nested deeper than any listing, or larger than kMaxCommunityReplyBytes.
bool ParseCommunityStations(std::string_view reply, std::vector<CommunityStation>& stations);

// The server names of the server-list reply (a JSON array of objects with a "name"), each once, in reply order;
// names that are not host names (letters, digits, '.', '-', an optional ":port") are left out. False (and
// `hosts` empty) when the reply is not such an array.
bool ParseCommunityServers(std::string_view reply, std::vector<std::string>& hosts);

// The stream address of a look-up reply (a JSON object whose "url" is a string, and whose "ok", when present,
// is true), through CleanStreamAddress, when IsPublicStationAddress accepts it. Empty on anything else.
std::string ParseStationUrlReply(std::string_view reply);

// `address` as the player hands it to the media player: an http or https address (scheme in any letter case)
// with its bytes above 0x7E and its spaces percent-encoded, so the result is printable ASCII. Empty when it is
// something else, holds a control byte, or is longer than kMaxStreamAddressBytes once escaped.
std::string CleanStreamAddress(std::string_view address);

// True for 1 to kMaxStationUuidBytes ASCII letters, digits and '-': safe in a request path and a cache line.
bool IsStationUuid(std::string_view uuid);

}  // namespace trr
