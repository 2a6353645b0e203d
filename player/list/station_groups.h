// What the channel list shows: groups of stations in display order, and how much of it the list may hold.
// Both directories hand their stations to the list in this form.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace trr {

// What the list may hold, however large or repetitive a directory is: a group name listed thousands of times
// would otherwise copy its stations each time.
constexpr size_t kMaxChannelGroups = 1000;
constexpr size_t kMaxChannelRows = 100000;

struct Station {
  std::string name;  // the row's name (项目名称)
  std::string id;    // the row's number (项目号码): a built-in station id or a community station uuid
};

struct ChannelGroup {
  std::string name;
  std::vector<Station> stations;  // in display order
};

}  // namespace trr
