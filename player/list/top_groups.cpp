#include "player/list/top_groups.h"

#include <utility>

#include "player/list/channel_list.h"
#include "player/list/held_drawing.h"

namespace trr {

const char* TopSlotTitle(TopSlot slot) { return slot == TopSlot::Favourites ? "我的收藏" : "搜索结果"; }

TopGroups::TopGroups(GroupList& list, std::string stationPicture)
    : list_(list), stationPicture_(std::move(stationPicture)) {}

bool TopGroups::Set(TopSlot slot, std::vector<TopStation> stations) {
  HeldDrawing held(list_.listWindow());
  Slot& target = slots_[Index(slot)];
  const ItemHandle shown = InList(target) ? target.group : 0;
  target.group = 0;
  if (stations.size() > kMaxTopGroupRows) stations.resize(kMaxTopGroupRows);
  target.stations = std::move(stations);
  target.set = true;
  if (Insert(Index(slot), shown)) return true;
  Clear(slot);
  return false;
}

void TopGroups::Clear(TopSlot slot) {
  HeldDrawing held(list_.listWindow());
  Slot& target = slots_[Index(slot)];
  if (InList(target)) list_.RemoveGroupWithRows(target.group);
  target = Slot();
}

void TopGroups::Restore() {
  bool missing = false;
  for (Slot& slot : slots_) missing = missing || (slot.set && !InList(slot));
  // Nothing set, nothing drawn again: a list without the player's groups is left exactly as the fill made it.
  if (!missing) return;
  HeldDrawing held(list_.listWindow());
  for (size_t s = 0; s < kTopSlotCount; ++s)
    if (slots_[s].set && !InList(slots_[s])) Insert(s);
}

const TopStation* TopGroups::Find(ItemHandle row) const {
  if (row <= 0) return nullptr;
  for (const Slot& slot : slots_) {
    if (!slot.set || slot.group == 0) continue;
    for (size_t k = 0; k < slot.rows.size() && k < slot.stations.size(); ++k)
      if (slot.rows[k] == row) return &slot.stations[k];
  }
  return nullptr;
}

ItemHandle TopGroups::Row(TopSlot slot, size_t k) const {
  const Slot& shown = slots_[Index(slot)];
  return shown.set && shown.group != 0 && k < shown.rows.size() ? shown.rows[k] : 0;
}

bool TopGroups::Insert(size_t slot, ItemHandle refill) {
  // Below the groups of the lower slots that are shown, above everything else.
  int before = 0;
  for (size_t s = 0; s < slot; ++s)
    if (slots_[s].set && InList(slots_[s])) ++before;
  Slot& target = slots_[slot];
  GroupRows rows{TopSlotTitle(static_cast<TopSlot>(slot)), {}};
  rows.rows.reserve(target.stations.size());
  for (const TopStation& station : target.stations)
    rows.rows.push_back(RowText{station.station.name, station.station.id});
  target.group = list_.InsertGroupWithRows(before, rows, StationRowTemplate(stationPicture_), true, refill,
                                           &target.rows);
  return target.group != 0;
}

bool TopGroups::InList(const Slot& slot) {
  return slot.group != 0 && !list_.GetGroupName(slot.group).empty();
}

}  // namespace trr
