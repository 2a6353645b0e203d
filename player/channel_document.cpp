#include "player/channel_document.h"

#include <unordered_map>

#include "common/gbk_text.h"
#include "common/server_address.h"

namespace trr {

std::vector<ChannelGroup> ParseChannelDocument(std::string_view document) {
  std::vector<ChannelGroup> groups;
  std::string groupList = TextBetween(document, "<type>", "</type>");
  if (groupList.empty()) return groups;
  std::string stationList = TextBetween(document, "<tvdata>", "</tvdata>");

  // One pass over the station lines, indexed by group name, so a large directory costs one scan instead of
  // one scan per group.
  std::unordered_map<std::string, std::vector<Station>> stationsByGroup;
  if (!stationList.empty()) {
    for (std::string& line : SplitText(stationList, "\r\n")) {
      std::vector<std::string> fields = SplitText(line, "|");
      if (fields.size() < 3 || fields[2].empty()) continue;
      stationsByGroup[fields[2]].push_back(Station{std::move(fields[0]), std::move(fields[1])});
    }
  }

  for (std::string& name : SplitText(groupList, ";")) {
    if (name.empty()) continue;
    ChannelGroup group;
    auto found = stationsByGroup.find(name);
    if (found != stationsByGroup.end()) group.stations = found->second;
    group.name = std::move(name);
    groups.push_back(std::move(group));
  }
  return groups;
}

std::string StationLookupUrl(std::string_view stationId) {
  return DirectoryServerUrl() + "/Url.Asp?ID=" + std::string(stationId);
}

}  // namespace trr
