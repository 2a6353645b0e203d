// The favourites file's reader and the typed-address check on any bytes: the first byte picks which. What they
// return keeps the promises the player relies on: every listed station is a valid favourite, listed once, at
// most kMaxFavorites of them, and a list reads back from what it writes; a clean address is printable ASCII,
// stays the same when cleaned again, and a station the add window accepts can be kept.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "player/favorites/favorites_file.h"
#include "player/favorites/new_station_check.h"
#include "player/favorites/station_address.h"

namespace {

void CheckFile(std::string_view input) {
  std::vector<trr::FavoriteStation> stations;
  const trr::FavoritesFileState state = trr::ParseFavoritesFile(input, stations);
  if (state == trr::FavoritesFileState::Damaged) {
    if (!stations.empty()) __builtin_trap();
    return;
  }
  if (stations.size() > trr::kMaxFavorites) __builtin_trap();
  for (size_t i = 0; i < stations.size(); ++i) {
    if (!trr::IsFavoriteStation(stations[i])) __builtin_trap();
    for (size_t j = 0; j < i; ++j)
      if (trr::SameStation(stations[i], stations[j])) __builtin_trap();
  }
  std::vector<trr::FavoriteStation> again;
  if (trr::ParseFavoritesFile(trr::FormatFavoritesFile(stations), again) != trr::FavoritesFileState::Current ||
      again.size() != stations.size())
    __builtin_trap();
  for (size_t i = 0; i < stations.size(); ++i) {
    const trr::FavoriteStation &a = stations[i], &b = again[i];
    if (a.kind != b.kind || a.id != b.id || a.address != b.address || a.name != b.name) __builtin_trap();
  }
}

void CheckAddress(std::string_view input) {
  std::string clean;
  if (trr::CleanTypedAddress(input, clean) != trr::AddressCheck::Ok) {
    if (!clean.empty()) __builtin_trap();
    return;
  }
  if (clean.size() > trr::kMaxStationAddressBytes || !trr::IsStationAddress(clean) || trr::AddressHost(clean).empty())
    __builtin_trap();
  for (char c : clean)
    if (c < 0x21 || c > 0x7E) __builtin_trap();
  // The same bytes as a name too: split at the first newline, name first.
  const size_t split = input.find('\n');
  const trr::NewStationCheck check =
      trr::CheckNewStation(input.substr(0, split), split == std::string_view::npos ? input : input.substr(split + 1));
  if (check.accepted && !trr::IsFavoriteStation(check.station)) __builtin_trap();
  if (!check.accepted && check.refusal.empty()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2)
    CheckAddress(input);
  else
    CheckFile(input);
  return 0;
}
