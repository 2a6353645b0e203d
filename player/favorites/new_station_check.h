// The 添加电台 window's two fields checked before a station is added: the station they make, or the refusal the
// window shows (GBK, Chinese). Pure text work.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "player/favorites/favorite_station.h"

namespace trr {

// Longest name the user may type, in GBK bytes.
constexpr size_t kMaxTypedNameBytes = 64;

struct NewStationCheck {
  bool accepted = false;
  FavoriteStation station;  // when accepted: an Address station with the clean address and the name
  std::string refusal;      // when refused: what the window says
  bool addressAtFault = false;  // the refusal concerns the address (else the name)
};

// The name is trimmed and may hold at most kMaxTypedNameBytes bytes and no control character; when empty, the
// address's host stands in. The address must pass CleanTypedAddress.
NewStationCheck CheckNewStation(std::string_view typedName, std::string_view typedAddress);

}  // namespace trr
