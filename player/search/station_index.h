// The stations the list shows, indexed for the station search: each station once (the first row that lists
// its id), with its name's folded form beside it where that differs from the name, in one flat store so that
// 100,000 stations take a few megabytes. Built on a worker when a list arrives, then only read (from the window
// thread).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "player/list/station_groups.h"
#include "player/search/search_text.h"

namespace trr {

class StationIndex {
 public:
  StationIndex() = default;
  // Indexes the stations of `groups` in list order; a station id seen before is not indexed again, and names
  // or ids longer than the list could hold are cut.
  explicit StationIndex(const std::vector<ChannelGroup>& groups);

  size_t size() const { return entries_.size(); }
  std::string_view Name(size_t station) const;
  std::string_view Id(size_t station) const;

  // The stations whose names match `query`, best first (by rank, then shorter names, then list order), at most
  // `limit` of them. With `among`, only those stations are tried (the matches of a query that this one
  // extends: a name matching this query matches that one too); `matches`, when given, receives every station
  // that matched, in list order.
  std::vector<uint32_t> Search(const SearchQuery& query, size_t limit, const std::vector<uint32_t>* among = nullptr,
                               std::vector<uint32_t>* matches = nullptr) const;

  // Bytes the index holds (its stores' capacities and the object itself).
  size_t MemoryBytes() const;

 private:
  // One station in text_: its name, its id, then the name's folded form unless that is the name itself.
  struct Entry {
    uint32_t text;
    uint16_t nameBytes;
    uint16_t idBytes;
    uint16_t foldedBytes;  // 0: the folded form is the name
    uint32_t initials;     // InitialsMask of the folded form
  };
  std::string_view Folded(const Entry& entry) const;

  std::string text_;
  std::vector<Entry> entries_;
};

}  // namespace trr
