#include "player/search/station_index.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_set>

namespace trr {
namespace {

constexpr size_t kMaxField = std::numeric_limits<uint16_t>::max();

// A text cut to `limit` bytes without leaving half a double-byte character at its end.
std::string_view Cut(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = 0;
  while (end < limit) {
    const auto byte = static_cast<unsigned char>(text[end]);
    const size_t size = byte >= 0x81 && byte <= 0xFE && end + 1 < text.size() ? 2 : 1;
    if (end + size > limit) break;
    end += size;
  }
  return text.substr(0, end);
}

}  // namespace

StationIndex::StationIndex(const std::vector<ChannelGroup>& groups) {
  size_t stations = 0, bytes = 0;
  for (const ChannelGroup& group : groups)
    for (const Station& station : group.stations) {
      ++stations;
      bytes += station.name.size() + station.id.size();
    }
  entries_.reserve(stations);
  text_.reserve(bytes);
  std::unordered_set<std::string_view> ids;
  ids.reserve(stations);
  for (const ChannelGroup& group : groups) {
    for (const Station& station : group.stations) {
      if (!ids.insert(station.id).second) continue;
      const std::string_view name = Cut(station.name, kMaxField), id = Cut(station.id, kMaxField);
      const std::string folded = FoldSearchText(name);
      Entry entry;
      entry.text = static_cast<uint32_t>(text_.size());
      entry.nameBytes = static_cast<uint16_t>(name.size());
      entry.idBytes = static_cast<uint16_t>(id.size());
      entry.foldedBytes = folded == name ? 0 : static_cast<uint16_t>(folded.size());
      entry.initials = InitialsMask(folded);
      text_.append(name);
      text_.append(id);
      if (entry.foldedBytes) text_.append(folded);
      entries_.push_back(entry);
    }
  }
  text_.shrink_to_fit();
  entries_.shrink_to_fit();
}

std::string_view StationIndex::Name(size_t station) const {
  if (station >= entries_.size()) return {};
  return std::string_view(text_).substr(entries_[station].text, entries_[station].nameBytes);
}

std::string_view StationIndex::Id(size_t station) const {
  if (station >= entries_.size()) return {};
  const Entry& entry = entries_[station];
  return std::string_view(text_).substr(entry.text + entry.nameBytes, entry.idBytes);
}

std::string_view StationIndex::Folded(const Entry& entry) const {
  if (!entry.foldedBytes) return std::string_view(text_).substr(entry.text, entry.nameBytes);
  return std::string_view(text_).substr(entry.text + entry.nameBytes + entry.idBytes, entry.foldedBytes);
}

std::vector<uint32_t> StationIndex::Search(const SearchQuery& query, size_t limit, const std::vector<uint32_t>* among,
                                           std::vector<uint32_t>* matches) const {
  if (matches) matches->clear();
  if (query.folded.empty()) return {};
  // Keys sort by rank, then name length, then list order: rank in the top bits, the station number below.
  std::vector<uint64_t> keys;
  auto consider = [&](uint32_t i) {
    const std::string_view folded = Folded(entries_[i]);
    const MatchRank rank = RankMatch(query, folded, entries_[i].initials);
    if (rank == kNoMatch) return;
    keys.push_back(static_cast<uint64_t>(rank) << 56 | static_cast<uint64_t>(folded.size()) << 32 | i);
    if (matches) matches->push_back(i);
  };
  if (among) {
    for (uint32_t i : *among)
      if (i < entries_.size()) consider(i);
  } else {
    for (size_t i = 0; i < entries_.size(); ++i) consider(static_cast<uint32_t>(i));
  }
  if (keys.size() > limit) {
    std::nth_element(keys.begin(), keys.begin() + limit, keys.end());
    keys.resize(limit);
  }
  std::sort(keys.begin(), keys.end());
  std::vector<uint32_t> stations(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) stations[k] = static_cast<uint32_t>(keys[k] & 0xFFFFFFFFu);
  return stations;
}

size_t StationIndex::MemoryBytes() const {
  return sizeof(*this) + text_.capacity() + entries_.capacity() * sizeof(Entry);
}

}  // namespace trr
