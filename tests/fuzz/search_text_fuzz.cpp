// The station search's matching on any bytes. The first byte tells how many of the following bytes are the
// typed text; the rest, split at line feeds, are station names. The cleaned text is bounded, free of control
// bytes and cleaned already; a cleaned text finds itself as a whole name; folding keeps a text's length or
// shortens it and folds nothing twice; an index of the names finds each station at most once, within the
// limit, and only stations whose names match; a name's initials mask never changes its rank.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "player/search/search_text.h"
#include "player/search/station_index.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t typedSize = std::min<size_t>(data[0], size - 1);
  const std::string_view typed(reinterpret_cast<const char*>(data + 1), typedSize);
  const std::string_view rest(reinterpret_cast<const char*>(data + 1 + typedSize), size - 1 - typedSize);

  const std::string clean = trr::CleanQueryText(typed);
  Check(clean.size() <= trr::kMaxQueryBytes);
  for (char c : clean) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  Check(trr::CleanQueryText(clean) == clean);
  if (!clean.empty())
    Check(trr::RankMatch(trr::MakeSearchQuery(clean), trr::FoldSearchText(clean)) == trr::kWholeName);

  const std::string folded = trr::FoldSearchText(rest);
  Check(folded.size() <= rest.size() && trr::FoldSearchText(folded) == folded);

  std::vector<trr::ChannelGroup> groups(1);
  size_t begin = 0;
  while (begin <= rest.size() && groups[0].stations.size() < 64) {
    size_t end = rest.find('\n', begin);
    if (end == std::string_view::npos) end = rest.size();
    groups[0].stations.push_back(
        trr::Station{std::string(rest.substr(begin, end - begin)), std::to_string(groups[0].stations.size() % 50)});
    begin = end + 1;
  }
  const trr::StationIndex index(groups);
  const trr::SearchQuery query = trr::MakeSearchQuery(typed);
  // The names' initials masks only spare work: with them or without, every name ranks the same.
  for (const trr::Station& station : groups[0].stations) {
    const std::string name = trr::FoldSearchText(station.name);
    Check(trr::RankMatch(query, name, trr::InitialsMask(name)) == trr::RankMatch(query, name));
  }
  const std::vector<uint32_t> found = index.Search(query, 8);
  Check(found.size() <= 8);
  std::set<uint32_t> seen;
  for (uint32_t station : found) {
    Check(station < index.size() && seen.insert(station).second);
    Check(trr::RankMatch(query, trr::FoldSearchText(index.Name(station))) != trr::kNoMatch);
  }
  return 0;
}
