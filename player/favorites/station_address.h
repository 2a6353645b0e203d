// Stream addresses that the user types for a station of their own. Any host is allowed, a local network's
// included: the user chose it. Pure text work.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace trr {

// Longest address kept, once escaped.
constexpr size_t kMaxStationAddressBytes = 2048;

enum class AddressCheck {
  Ok,
  Empty,         // nothing but blanks
  BadScheme,     // not http://, https://, mms://, mmsh:// or rtsp://
  BadHost,       // no host, or a host or port that is not one
  BadCharacter,  // a control character
  TooLong,       // longer than kMaxStationAddressBytes once escaped
};

// Checks the typed `address` and gives it as the player keeps and plays it in `clean`: blanks at both ends
// removed, the scheme in lower case, spaces and bytes above 0x7E percent-encoded (so it is printable ASCII).
// `clean` is empty unless the result is Ok.
AddressCheck CleanTypedAddress(std::string_view address, std::string& clean);

// True for an address that CleanTypedAddress gives back unchanged.
bool IsStationAddress(std::string_view address);

// The host of a clean address ("192.168.1.5", "radio.example.cn", "[::1]"); empty when it has none.
std::string AddressHost(std::string_view address);

}  // namespace trr
