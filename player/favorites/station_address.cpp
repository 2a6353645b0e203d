#include "player/favorites/station_address.h"

#include "common/gbk_text.h"
#include "player/community/station_address_rule.h"

namespace trr {
namespace {

constexpr std::string_view kSchemes[] = {"http", "https", "mms", "mmsh", "rtsp"};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHostByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-' || c == '.' || c == '_';
}

// The scheme's length before "://" when it is one of kSchemes (in any letter case); 0 otherwise.
size_t SchemeLength(std::string_view address) {
  for (std::string_view scheme : kSchemes) {
    if (address.size() < scheme.size() + 3 || address.substr(scheme.size(), 3) != "://") continue;
    bool same = true;
    for (size_t i = 0; i < scheme.size(); ++i) same = same && LowerAscii(address[i]) == scheme[i];
    if (same) return scheme.size();
  }
  return 0;
}

// The authority (after "://", up to the path, query or fragment) without its user part.
std::string_view HostAndPort(std::string_view address, size_t schemeLength) {
  std::string_view rest = address.substr(schemeLength + 3);
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
  const size_t at = authority.rfind('@');
  return at == std::string_view::npos ? authority : authority.substr(at + 1);
}

// Splits host and port; false when the host is empty or not a host name, an IPv4 or a bracketed IPv6 address,
// or the port is not a number from 1 to 65535.
bool SplitHost(std::string_view hostAndPort, std::string_view& host) {
  std::string_view port;
  if (!hostAndPort.empty() && hostAndPort[0] == '[') {
    const size_t close = hostAndPort.find(']');
    if (close == std::string_view::npos || close < 2) return false;
    for (char c : hostAndPort.substr(1, close - 1))
      if (!IsDigit(c) && !(LowerAscii(c) >= 'a' && LowerAscii(c) <= 'f') && c != ':' && c != '.') return false;
    host = hostAndPort.substr(0, close + 1);
    const std::string_view after = hostAndPort.substr(close + 1);
    if (!after.empty() && after[0] != ':') return false;
    if (!after.empty()) port = after.substr(1);
    if (!after.empty() && port.empty()) return false;
  } else {
    const size_t colon = hostAndPort.find(':');
    host = hostAndPort.substr(0, colon);
    if (host.empty()) return false;
    for (char c : host)
      if (!IsHostByte(c)) return false;
    if (colon != std::string_view::npos) {
      port = hostAndPort.substr(colon + 1);
      if (port.empty()) return false;
    }
  }
  return port.empty() || IsPortNumber(port);
}

}  // namespace

AddressCheck CleanTypedAddress(std::string_view address, std::string& clean) {
  clean.clear();
  const std::string typed = TrimText(address);
  if (typed.empty()) return AddressCheck::Empty;
  for (char c : typed) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return AddressCheck::BadCharacter;
  }
  const size_t schemeLength = SchemeLength(typed);
  if (schemeLength == 0) return AddressCheck::BadScheme;
  std::string_view host;
  if (!SplitHost(HostAndPort(typed, schemeLength), host)) return AddressCheck::BadHost;
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < typed.size(); ++i) {
    const auto byte = static_cast<unsigned char>(typed[i]);
    if (i < schemeLength) {
      out += LowerAscii(typed[i]);
    } else if (byte > 0x7E || byte == ' ') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += typed[i];
    }
    if (out.size() > kMaxStationAddressBytes) return AddressCheck::TooLong;
  }
  clean = std::move(out);
  return AddressCheck::Ok;
}

bool IsStationAddress(std::string_view address) {
  std::string clean;
  return CleanTypedAddress(address, clean) == AddressCheck::Ok && clean == address;
}

std::string AddressHost(std::string_view address) {
  const size_t schemeLength = SchemeLength(address);
  std::string_view host;
  if (schemeLength == 0 || !SplitHost(HostAndPort(address, schemeLength), host)) return {};
  return std::string(host);
}

}  // namespace trr
