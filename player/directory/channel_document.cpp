#include "player/directory/channel_document.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "common/gbk_text.h"
#include "common/server_address.h"

namespace trr {
namespace {

// The text between the first `open` marker and the first `close` marker after it (both ignoring ASCII case),
// as a view into `document`. `cut` when `open` is there and `close` is not after it; the text is then empty.
struct Section {
  std::string_view text;
  bool cut = false;
};

Section FindSection(std::string_view document, std::string_view open, std::string_view close) {
  Section section;
  size_t start = FindIgnoringAsciiCase(document, open);
  if (start == std::string_view::npos) return section;
  // The tail starts on a character boundary (right after an ASCII marker), so searching it alone finds what a
  // search of the whole document from that point would, without walking the document from its start again.
  std::string_view tail = document.substr(start + open.size());
  size_t end = FindIgnoringAsciiCase(tail, close);
  if (end == std::string_view::npos)
    section.cut = true;
  else
    section.text = tail.substr(0, end);
  return section;
}

// Calls `take` with each part of `text` between separators (two in a row give an empty part).
template <typename Take>
void ForEachPart(std::string_view text, std::string_view separator, Take take) {
  size_t begin = 0;
  for (;;) {
    size_t at = text.find(separator, begin);
    take(text.substr(begin, at == std::string_view::npos ? std::string_view::npos : at - begin), begin);
    if (at == std::string_view::npos) return;
    begin = at + separator.size();
  }
}

struct StationFields {
  std::string_view name, id, group;
};

// The first three "|"-separated fields of a station line; false when it has fewer than three.
bool SplitStationLine(std::string_view line, StationFields& fields) {
  size_t first = line.find('|');
  if (first == std::string_view::npos) return false;
  size_t second = line.find('|', first + 1);
  if (second == std::string_view::npos) return false;
  size_t third = line.find('|', second + 1);
  fields.name = line.substr(0, first);
  fields.id = line.substr(first + 1, second - first - 1);
  fields.group = line.substr(second + 1, third == std::string_view::npos ? third : third - second - 1);
  return true;
}

}  // namespace

ChannelDirectory ParseChannelDocument(std::string_view document) {
  ChannelDirectory directory;
  const Section groupSection = FindSection(document, "<type>", "</type>");
  const Section stationSection = FindSection(document, "<tvdata>", "</tvdata>");
  directory.stationListCut = stationSection.cut;
  const std::string_view stationList = stationSection.text;
  if (groupSection.text.empty() || stationList.size() > std::numeric_limits<uint32_t>::max()) return directory;

  // The names that may become groups: the first kMaxChannelGroups non-empty ones, in list order.
  std::vector<std::string_view> names;
  ForEachPart(groupSection.text, ";", [&](std::string_view name, size_t) {
    if (!name.empty() && names.size() < kMaxChannelGroups) names.push_back(name);
  });

  // One pass over the station lines, keeping only where the lines of those names start: a large directory
  // costs one scan, not one per group, and lines of other groups cost nothing to keep.
  // Per name, where its lines start in the station list, in line order; no group shows more than
  // kMaxChannelRows of them.
  std::unordered_map<std::string_view, std::vector<uint32_t>> linesByName;
  linesByName.reserve(names.size());
  for (std::string_view name : names) linesByName.emplace(name, std::vector<uint32_t>());
  ForEachPart(stationList, "\r\n", [&](std::string_view line, size_t start) {
    StationFields fields;
    if (!SplitStationLine(line, fields) || fields.group.empty()) return;
    auto found = linesByName.find(fields.group);
    if (found == linesByName.end() || found->second.size() == kMaxChannelRows) return;
    found->second.push_back(static_cast<uint32_t>(start));
  });

  size_t rows = 0;
  for (std::string_view name : names) {
    if (rows == kMaxChannelRows) break;
    const std::vector<uint32_t>& starts = linesByName[name];
    ChannelGroup group;
    group.name = std::string(name);
    const size_t take = std::min(starts.size(), kMaxChannelRows - rows);
    group.stations.reserve(take);
    for (size_t i = 0; i < take; ++i) {
      std::string_view rest = stationList.substr(starts[i]);
      StationFields fields;
      SplitStationLine(rest.substr(0, rest.find("\r\n")), fields);
      group.stations.push_back(Station{std::string(fields.name), std::string(fields.id)});
    }
    rows += take;
    directory.groups.push_back(std::move(group));
  }
  return directory;
}

std::string StationLookupUrl(std::string_view stationId) {
  return DirectoryServerUrl() + "/Url.Asp?ID=" + std::string(stationId);
}

}  // namespace trr
