#include "player/channel_document.h"

#include <algorithm>
#include <unordered_map>

#include "common/gbk_text.h"
#include "common/server_address.h"

namespace trr {
namespace {

struct StationView {
  std::string_view name;
  std::string_view id;
};

// Calls `take` with each part of `text` between separators (two in a row give an empty part).
template <typename Take>
void ForEachPart(std::string_view text, std::string_view separator, Take take) {
  size_t begin = 0;
  for (;;) {
    size_t at = text.find(separator, begin);
    take(text.substr(begin, at == std::string_view::npos ? std::string_view::npos : at - begin));
    if (at == std::string_view::npos) return;
    begin = at + separator.size();
  }
}

// The station lines indexed by their group name, in line order. Views into `stationList`.
std::unordered_map<std::string_view, std::vector<StationView>> IndexStations(std::string_view stationList) {
  std::unordered_map<std::string_view, std::vector<StationView>> byGroup;
  if (stationList.empty()) return byGroup;
  ForEachPart(stationList, "\r\n", [&](std::string_view line) {
    size_t first = line.find('|');
    if (first == std::string_view::npos) return;
    size_t second = line.find('|', first + 1);
    if (second == std::string_view::npos) return;
    size_t third = line.find('|', second + 1);
    std::string_view group = line.substr(second + 1, third == std::string_view::npos ? third : third - second - 1);
    if (group.empty()) return;
    byGroup[group].push_back(StationView{line.substr(0, first), line.substr(first + 1, second - first - 1)});
  });
  return byGroup;
}

}  // namespace

std::vector<ChannelGroup> ParseChannelDocument(std::string_view document) {
  std::vector<ChannelGroup> groups;
  const std::string groupList = TextBetween(document, "<type>", "</type>");
  if (groupList.empty()) return groups;
  const std::string stationList = TextBetween(document, "<tvdata>", "</tvdata>");
  // One pass over the station lines, indexed by group name, so a large directory costs one scan instead of
  // one scan per group.
  const auto stationsByGroup = IndexStations(stationList);

  size_t rows = 0;
  bool full = false;
  ForEachPart(groupList, ";", [&](std::string_view name) {
    if (full || name.empty()) return;
    if (groups.size() == kMaxChannelGroups || rows == kMaxChannelRows) {
      full = true;
      return;
    }
    ChannelGroup group;
    group.name = std::string(name);
    auto found = stationsByGroup.find(name);
    if (found != stationsByGroup.end()) {
      size_t take = std::min(found->second.size(), kMaxChannelRows - rows);
      group.stations.reserve(take);
      for (size_t i = 0; i < take; ++i)
        group.stations.push_back(Station{std::string(found->second[i].name), std::string(found->second[i].id)});
      rows += take;
    }
    groups.push_back(std::move(group));
  });
  return groups;
}

bool IsChannelDirectory(std::string_view document) {
  size_t stations = FindIgnoringAsciiCase(document, "<tvdata>");
  if (stations != std::string_view::npos && FindIgnoringAsciiCase(document, "</tvdata>", stations) ==
                                                std::string_view::npos)
    return false;
  return !ParseChannelDocument(document).empty();
}

std::string StationLookupUrl(std::string_view stationId) {
  return DirectoryServerUrl() + "/Url.Asp?ID=" + std::string(stationId);
}

}  // namespace trr
