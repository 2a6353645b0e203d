// The player's own groups above the directory's groups, in fixed slots: slot 0 "我的收藏" (favourites) first,
// slot 1 "搜索结果" (search results) below it, each only while it is set. A set slot's group stands expanded
// above every group of the directory; the directory's groups stay where the fill put them, open or closed.
//
// A row of a top group shows its station as the station's own group does (the same name, and the same number
// 项目号码: built-in station id or community uuid); what starting it needs (its directory, a community station's
// listing address) stays beside the slot, so that a double-click can start it as its own group would
// (Find). Everything here runs on the window thread.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "listctrl/group_list.h"
#include "player/list/station_groups.h"

namespace trr {

enum class TopSlot : size_t {
  Favourites = 0,     // "我的收藏"
  SearchResults = 1,  // "搜索结果"
};
constexpr size_t kTopSlotCount = 2;

// The group title of each slot.
const char* TopSlotTitle(TopSlot slot);

// The directory a station comes from, which decides how a double-click starts it.
enum class StationSource {
  Builtin,    // through the built-in directory's stream look-up of its id
  Community,  // through the community directory's station look-up of its uuid
};

// One row of a top group.
struct TopStation {
  Station station;                         // name and number as the station's own group shows them
  StationSource source = StationSource::Builtin;
  std::string listingAddress;              // community stations: the listing's stream address, may be empty
};

// Most rows one top group shows.
constexpr size_t kMaxTopGroupRows = 500;

class TopGroups {
 public:
  // `list` (made by CreateChannelList) outlives this object; `stationPicture` is every row's avatar.
  TopGroups(GroupList& list, std::string stationPicture);
  TopGroups(const TopGroups&) = delete;
  TopGroups& operator=(const TopGroups&) = delete;

  // Shows `stations` (the first kMaxTopGroupRows) in the slot's group, expanded: inserted above the directory's
  // groups and below a lower slot's group, or refilled in place when the slot's group is in the list (its rows
  // reused, so that refilling on every keystroke makes no new rows beyond the most it ever held). The rows look
  // like the directory's. False, with the slot cleared, when the list has no window or refused the group.
  bool Set(TopSlot slot, std::vector<TopStation> stations);
  // Removes the slot's group and forgets its stations; nothing happens for a slot that is not set.
  void Clear(TopSlot slot);
  // After the list was emptied and filled again (a directory fill, or one source's list replacing the
  // other's): puts the set slots' groups back on top, expanded, with their stations. Slots whose groups are
  // still in the list are left as they are.
  void Restore();

  bool IsSet(TopSlot slot) const { return slots_[Index(slot)].set; }
  // The slot's group; 0 when the slot is not set.
  ItemHandle Group(TopSlot slot) const { return slots_[Index(slot)].group; }
  const std::vector<TopStation>& Stations(TopSlot slot) const { return slots_[Index(slot)].stations; }
  // The row that shows the slot's `k`-th station; 0 when there is none.
  ItemHandle Row(TopSlot slot, size_t k) const;

  // The station of `row` when it is a row of a top group's; nullptr for any other row or handle.
  const TopStation* Find(ItemHandle row) const;

 private:
  struct Slot {
    bool set = false;
    ItemHandle group = 0;  // 0 while the group is not in the list
    std::vector<TopStation> stations;
    std::vector<ItemHandle> rows;  // the row of each station (0 for one the list refused)
  };
  static size_t Index(TopSlot slot) { return static_cast<size_t>(slot); }
  // Inserts the slot's group at its place, or refills it where it stands when `refill` is its group; false
  // when the list refused it.
  bool Insert(size_t slot, ItemHandle refill = 0);
  // True when the slot's group is still in the list (a fill that emptied the list took it away).
  bool InList(const Slot& slot);

  GroupList& list_;
  std::string stationPicture_;
  std::array<Slot, kTopSlotCount> slots_;
};

}  // namespace trr
