#include "player/community/community_reply.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <optional>

#include "player/community/station_address_rule.h"

namespace trr {
namespace {

using Json = nlohmann::json;

// The replies are read as a stream of parse events (SAX) rather than into a document: only the few fields the
// player uses are kept, so neither memory nor the depth of the reply can grow with what a hostile server sends.
constexpr int kMaxDepth = 16;            // a listing is two levels deep; anything far deeper is not one
constexpr size_t kMaxRecords = 20000;    // more objects than any reply the player asks for: the rest is ignored
constexpr size_t kMaxFieldBytes = 8192;  // longer values are dropped, not cut (an address cut short is wrong)

enum Field { kUuid, kName, kCountryCode, kUrl, kUrlResolved, kOk, kFieldCount };
constexpr std::array<const char*, kFieldCount> kFieldNames = {"stationuuid", "name", "countrycode", "url",
                                                              "url_resolved", "ok"};

using Record = std::array<std::optional<std::string>, kFieldCount>;

// Collects the wanted fields of the objects at one level: the elements of a top-level array (listings, the
// server list) or the top-level object itself (the look-up reply). Values of other types than string and
// boolean are skipped, and so is everything nested inside a record.
class RecordCollector {
 public:
  explicit RecordCollector(bool topIsArray) : topIsArray_(topIsArray) {}

  bool null() { return Scalar(std::nullopt); }
  bool boolean(bool value) { return Scalar(std::string(value ? "true" : "false")); }
  bool number_integer(Json::number_integer_t) { return Scalar(std::nullopt); }
  bool number_unsigned(Json::number_unsigned_t) { return Scalar(std::nullopt); }
  bool number_float(Json::number_float_t, const Json::string_t&) { return Scalar(std::nullopt); }
  bool string(Json::string_t& value) {
    if (value.size() > kMaxFieldBytes) return Scalar(std::nullopt);
    return Scalar(std::move(value));
  }
  bool binary(Json::binary_t&) { return Scalar(std::nullopt); }
  bool start_object(std::size_t) { return Open(true); }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(false); }
  bool end_array() { return Close(); }
  bool key(Json::string_t& name) {
    field_ = -1;
    if (depth_ != RecordDepth() || !inRecord_) return true;
    for (int f = 0; f < kFieldCount; ++f)
      if (name == kFieldNames[f]) field_ = f;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

  std::vector<Record>& records() { return records_; }

 private:
  int RecordDepth() const { return topIsArray_ ? 2 : 1; }

  bool Open(bool isObject) {
    if (depth_ == 0 && isObject == topIsArray_) return false;  // the top level is of the wrong kind
    if (++depth_ > kMaxDepth) return false;
    field_ = -1;
    if (depth_ == RecordDepth() && isObject && records_.size() < kMaxRecords) {
      records_.emplace_back();
      inRecord_ = true;
    }
    return true;
  }

  bool Close() {
    if (depth_ == RecordDepth()) inRecord_ = false;
    --depth_;
    field_ = -1;
    return true;
  }

  bool Scalar(std::optional<std::string> value) {
    if (depth_ == 0) return false;  // a bare value is no reply of ours
    if (inRecord_ && depth_ == RecordDepth() && field_ >= 0) records_.back()[field_] = std::move(value);
    field_ = -1;
    return true;
  }

  bool topIsArray_;
  int depth_ = 0;
  bool inRecord_ = false;
  int field_ = -1;
  std::vector<Record> records_;
};

// The records of `reply`; false when it is not one JSON value of the expected kind.
bool CollectRecords(std::string_view reply, bool topIsArray, std::vector<Record>& records) {
  records.clear();
  if (reply.size() > kMaxCommunityReplyBytes) return false;
  try {
    RecordCollector collector(topIsArray);
    if (!Json::sax_parse(reply.begin(), reply.end(), &collector)) return false;
    records = std::move(collector.records());
    return true;
  } catch (...) {
    // Allocation, or an input the parser rejects by throwing: no reply.
    records.clear();
    return false;
  }
}

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The longest start of `text` of at most `limit` bytes that does not end inside a UTF-8 sequence.
std::string CutUtf8(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string CountryCode(const std::optional<std::string>& value) {
  if (!value || value->size() != 2) return {};
  std::string code = *value;
  for (char& c : code) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return {};
  }
  return code;
}

bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > 253 || !IsAsciiAlnum(host[0])) return false;
  size_t colon = host.find(':');
  std::string_view name = host.substr(0, colon);
  for (char c : name)
    if (!IsAsciiAlnum(c) && c != '.' && c != '-') return false;
  if (colon == std::string_view::npos) return true;
  std::string_view port = host.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  return std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The address the player may play for a station: cleaned, and only where it names no one's own network.
std::string ListableAddress(const std::optional<std::string>& value) {
  if (!value) return {};
  std::string address = CleanStreamAddress(*value);
  return IsPublicStationAddress(address) ? address : std::string();
}

}  // namespace

bool IsStationUuid(std::string_view uuid) {
  if (uuid.empty() || uuid.size() > kMaxStationUuidBytes) return false;
  return std::all_of(uuid.begin(), uuid.end(), [](char c) { return IsAsciiAlnum(c) || c == '-'; });
}

std::string CleanStreamAddress(std::string_view address) {
  if (!StartsWithIgnoringCase(address, "http://") && !StartsWithIgnoringCase(address, "https://")) return {};
  static const char kHex[] = "0123456789ABCDEF";
  std::string clean;
  for (char c : address) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return {};
    if (byte > 0x7E || byte == ' ') {
      clean += '%';
      clean += kHex[byte >> 4];
      clean += kHex[byte & 15];
    } else {
      clean += c;
    }
    if (clean.size() > kMaxStreamAddressBytes) return {};
  }
  return clean;
}

bool ParseCommunityStations(std::string_view reply, std::vector<CommunityStation>& stations) {
  stations.clear();
  std::vector<Record> records;
  if (!CollectRecords(reply, true, records)) return false;
  for (Record& record : records) {
    if (!record[kUuid] || !IsStationUuid(*record[kUuid])) continue;
    CommunityStation station;
    station.uuid = std::move(*record[kUuid]);
    if (record[kName]) station.name = CutUtf8(*record[kName], kMaxCommunityNameBytes);
    station.countryCode = CountryCode(record[kCountryCode]);
    station.address = ListableAddress(record[kUrlResolved]);
    if (station.address.empty()) station.address = ListableAddress(record[kUrl]);
    stations.push_back(std::move(station));
  }
  return true;
}

bool ParseCommunityServers(std::string_view reply, std::vector<std::string>& hosts) {
  hosts.clear();
  std::vector<Record> records;
  if (!CollectRecords(reply, true, records)) return false;
  for (const Record& record : records) {
    if (!record[kName] || !IsHostName(*record[kName])) continue;
    if (std::find(hosts.begin(), hosts.end(), *record[kName]) == hosts.end()) hosts.push_back(*record[kName]);
  }
  return true;
}

std::string ParseStationUrlReply(std::string_view reply) {
  std::vector<Record> records;
  if (!CollectRecords(reply, false, records) || records.size() != 1) return {};
  const Record& record = records[0];
  if (record[kOk] && *record[kOk] != "true") return {};
  return ListableAddress(record[kUrl]);
}

}  // namespace trr
