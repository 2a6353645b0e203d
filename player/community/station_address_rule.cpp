#include "player/community/station_address_rule.h"

#include <cstdint>

namespace trr {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of hexadecimal digit `c`; -1 for any other character.
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  c = Lower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool SameIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (Lower(text[i]) != lower[i]) return false;
  return true;
}

// One part of a numeric IPv4 host as the platforms' inet_aton-style parsers read it: "0x" and hexadecimal
// digits, a leading "0" and octal digits, or decimal digits. False for anything else or a value over 32 bits.
bool ReadIpv4Part(std::string_view part, uint64_t& value) {
  if (part.empty()) return false;
  unsigned base = 10;
  if (part.size() >= 2 && part[0] == '0' && Lower(part[1]) == 'x') {
    base = 16;
    part.remove_prefix(2);
  } else if (part.size() >= 2 && part[0] == '0') {
    base = 8;
    part.remove_prefix(1);
  }
  value = 0;
  for (char c : part) {
    const int digit = HexValue(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= base) return false;
    value = value * base + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFULL) return false;
  }
  return true;
}

// A numeric IPv4 host of one to four dot-separated parts: every part but the last is one byte, the last fills
// the bytes that are left ("127.1" is 127.0.0.1, "2130706433" is 127.0.0.1). False when `host` is none.
bool ParseIpv4(std::string_view host, uint32_t& address) {
  uint64_t parts[4];
  size_t count = 0;
  for (;;) {
    const size_t dot = host.find('.');
    if (count == 4 || !ReadIpv4Part(host.substr(0, dot), parts[count])) return false;
    ++count;
    if (dot == std::string_view::npos) break;
    host.remove_prefix(dot + 1);
  }
  uint64_t value = 0;
  for (size_t i = 0; i + 1 < count; ++i) {
    if (parts[i] > 0xFF) return false;
    value |= parts[i] << (8 * (3 - i));
  }
  const uint64_t lastLimit = count == 1 ? 0xFFFFFFFFULL : (1ULL << (8 * (5 - count))) - 1;
  if (parts[count - 1] > lastLimit) return false;
  address = static_cast<uint32_t>(value | parts[count - 1]);
  return true;
}

// IPv4 ranges that are no station's: IANA's special-purpose registry, multicast and the reserved 240/4.
struct Ipv4Range {
  uint32_t base;
  int prefix;
};
constexpr uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) { return (a << 24) | (b << 16) | (c << 8) | d; }
constexpr Ipv4Range kSpecialIpv4[] = {
    {Ip(0, 0, 0, 0), 8},       {Ip(10, 0, 0, 0), 8},      {Ip(100, 64, 0, 0), 10},   {Ip(127, 0, 0, 0), 8},
    {Ip(169, 254, 0, 0), 16},  {Ip(172, 16, 0, 0), 12},   {Ip(192, 0, 0, 0), 24},    {Ip(192, 0, 2, 0), 24},
    {Ip(192, 31, 196, 0), 24}, {Ip(192, 52, 193, 0), 24}, {Ip(192, 88, 99, 0), 24},  {Ip(192, 168, 0, 0), 16},
    {Ip(192, 175, 48, 0), 24}, {Ip(198, 18, 0, 0), 15},   {Ip(198, 51, 100, 0), 24}, {Ip(203, 0, 113, 0), 24},
    {Ip(224, 0, 0, 0), 4},     {Ip(240, 0, 0, 0), 4},
};

bool IsGlobalIpv4(uint32_t address) {
  for (const Ipv4Range& range : kSpecialIpv4) {
    const uint32_t mask = ~uint32_t(0) << (32 - range.prefix);
    if ((address & mask) == range.base) return false;
  }
  return true;
}

// The strict dotted quad that may end an IPv6 address, as two 16-bit words.
bool ParseIpv6Tail(std::string_view text, uint16_t& high, uint16_t& low) {
  uint32_t value = 0;
  int parts = 0;
  for (;;) {
    const size_t dot = text.find('.');
    const std::string_view part = text.substr(0, dot);
    if (parts == 4 || part.empty() || part.size() > 3) return false;
    unsigned byte = 0;
    for (char c : part) {
      if (!IsDigit(c)) return false;
      byte = byte * 10 + static_cast<unsigned>(c - '0');
    }
    if (byte > 255) return false;
    value = (value << 8) | byte;
    ++parts;
    if (dot == std::string_view::npos) break;
    text.remove_prefix(dot + 1);
  }
  if (parts != 4) return false;
  high = static_cast<uint16_t>(value >> 16);
  low = static_cast<uint16_t>(value);
  return true;
}

// The 16-bit groups of `text` separated by ':' (an IPv4 tail allowed at the very end when `last`); false when
// one is no group. An empty `text` has none.
bool ReadIpv6Groups(std::string_view text, bool last, uint16_t* words, size_t& count) {
  count = 0;
  if (text.empty()) return true;
  for (;;) {
    const size_t colon = text.find(':');
    const std::string_view group = text.substr(0, colon);
    if (colon == std::string_view::npos && last && group.find('.') != std::string_view::npos) {
      if (count + 2 > 8 || !ParseIpv6Tail(group, words[count], words[count + 1])) return false;
      count += 2;
      return true;
    }
    if (count == 8 || group.empty() || group.size() > 4) return false;
    unsigned value = 0;
    for (char c : group) {
      const int digit = HexValue(c);
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    words[count++] = static_cast<uint16_t>(value);
    if (colon == std::string_view::npos) return true;
    text.remove_prefix(colon + 1);
  }
}

// An IPv6 address written with at most one "::".
bool ParseIpv6(std::string_view text, uint16_t (&words)[8]) {
  const size_t gap = text.find("::");
  uint16_t head[8] = {}, tail[8] = {};
  size_t headCount = 0, tailCount = 0;
  if (gap == std::string_view::npos) {
    if (!ReadIpv6Groups(text, true, head, headCount) || headCount != 8) return false;
  } else {
    const std::string_view after = text.substr(gap + 2);
    if (after.find("::") != std::string_view::npos) return false;
    if (!ReadIpv6Groups(text.substr(0, gap), false, head, headCount) ||
        !ReadIpv6Groups(after, true, tail, tailCount) || headCount + tailCount > 7)
      return false;
  }
  for (size_t i = 0; i < 8; ++i) words[i] = 0;
  for (size_t i = 0; i < headCount; ++i) words[i] = head[i];
  for (size_t i = 0; i < tailCount; ++i) words[8 - tailCount + i] = tail[i];
  return true;
}

// Only 2000::/3 holds global unicast addresses; within it, IANA's special-purpose blocks are left out.
bool IsGlobalIpv6(const uint16_t (&w)[8]) {
  if ((w[0] & 0xE000) != 0x2000) return false;
  if (w[0] == 0x2001 && w[1] < 0x0200) return false;                    // 2001::/23, protocol assignments
  if (w[0] == 0x2001 && w[1] == 0x0DB8) return false;                   // 2001:db8::/32, documentation
  if (w[0] == 0x2002) return false;                                     // 2002::/16, 6to4
  if (w[0] == 0x2620 && w[1] == 0x004F && w[2] == 0x8000) return false;  // 2620:4f:8000::/48, AS112
  if (w[0] == 0x3FFF && (w[1] & 0xF000) == 0) return false;             // 3fff::/20, documentation
  return true;
}

// Names that stand for the user's own machine or network wherever they are looked up.
bool IsLocalName(std::string_view host) {
  const size_t dot = host.rfind('.');
  const std::string_view last = host.substr(dot == std::string_view::npos ? 0 : dot + 1);
  if (SameIgnoringCase(last, "localhost") || SameIgnoringCase(last, "local") || SameIgnoringCase(last, "internal"))
    return true;
  if (!SameIgnoringCase(last, "arpa") || dot == std::string_view::npos) return false;
  const size_t before = host.rfind('.', dot - 1);
  const std::string_view second = host.substr(before == std::string_view::npos ? 0 : before + 1,
                                              dot - (before == std::string_view::npos ? 0 : before + 1));
  return SameIgnoringCase(second, "home");
}

bool IsPublicHostName(std::string_view host) {
  if (!host.empty() && host.back() == '.') host.remove_suffix(1);
  if (host.empty() || host.size() > 253) return false;
  std::string_view rest = host, last;
  for (;;) {
    const size_t dot = rest.find('.');
    last = rest.substr(0, dot);
    if (last.empty() || last.size() > 63) return false;
    for (char c : last)
      if (!IsLetter(c) && !IsDigit(c) && c != '-' && c != '_') return false;
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  // No top-level name starts with a digit: such a host is an IPv4 address in one of its forms, or nothing.
  if (IsDigit(last[0])) {
    uint32_t address = 0;
    return ParseIpv4(host, address) && IsGlobalIpv4(address);
  }
  return !IsLocalName(host);
}

}  // namespace

bool IsPortNumber(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  unsigned value = 0;
  for (char c : port) {
    if (!IsDigit(c)) return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 1 && value <= 65535;
}

bool IsPublicStationAddress(std::string_view address) {
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || c == '\\') return false;
  }
  size_t start = 0;
  if (address.size() > 7 && SameIgnoringCase(address.substr(0, 7), "http://"))
    start = 7;
  else if (address.size() > 8 && SameIgnoringCase(address.substr(0, 8), "https://"))
    start = 8;
  else
    return false;
  const size_t end = address.find_first_of("/?#", start);
  const std::string_view authority = address.substr(start, end == std::string_view::npos ? end : end - start);
  // Some parsers end the host part only at '/': an '@' before it would make what follows the host for them.
  const size_t slash = address.find('/', start);
  const std::string_view upToSlash = address.substr(start, slash == std::string_view::npos ? slash : slash - start);
  if (authority.empty() || upToSlash.find('@') != std::string_view::npos) return false;
  if (authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return false;
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && (after[0] != ':' || !IsPortNumber(after.substr(1)))) return false;
    uint16_t words[8];
    return ParseIpv6(authority.substr(1, close - 1), words) && IsGlobalIpv6(words);
  }
  const size_t colon = authority.find(':');
  if (colon != std::string_view::npos && !IsPortNumber(authority.substr(colon + 1))) return false;
  return IsPublicHostName(authority.substr(0, colon));
}

}  // namespace trr
