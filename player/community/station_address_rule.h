// Which stream addresses from the community directory the player may hand to the media player. The directory
// is written by anyone: an entry whose address names the user's own machine or network would make the media
// player send requests there. Pure text work; host names are never resolved.
#pragma once
#include <string_view>

namespace trr {

// True when `address` may be played as a station of the community directory:
// - printable ASCII without spaces or backslashes, starting with "http://" or "https://" (any letter case);
// - no user name or password (no '@' before the first '/' after the scheme), a port (when given) of 1 to 65535;
// - a host that is a name (letters, digits, '-', '_' in dot-separated labels, one trailing dot at most) other
//   than "localhost" and names under "localhost", "local", "internal" or "home.arpa", or a globally routable
//   IP address: none of IANA's special-purpose, multicast or reserved ranges, written in any form the
//   platform's address parsers take (IPv4 in one to four parts, each decimal, octal with a leading 0 or
//   hexadecimal with 0x, like "0x7f.1" or "2130706433"; IPv6 in brackets, with an IPv4 tail or not). An IPv6
//   address outside 2000::/3 is never global (loopback, IPv4-mapped, unique-local, link-local, multicast).
// False for anything else, a host whose last label starts with a digit but is no IPv4 address included.
bool IsPublicStationAddress(std::string_view address);

// True for an address's port: 1 to 65535 in at most five decimal digits.
bool IsPortNumber(std::string_view port);

}  // namespace trr
