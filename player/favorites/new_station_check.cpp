#include "player/favorites/new_station_check.h"

#include <algorithm>

#include "common/gbk_text.h"
#include "player/favorites/station_address.h"

namespace trr {
namespace {

const char* AddressRefusal(AddressCheck check) {
  switch (check) {
    case AddressCheck::Ok: break;
    case AddressCheck::Empty: return "请填写电台的地址。";
    case AddressCheck::BadScheme: return "地址须以 http://、https://、mms://、mmsh:// 或 rtsp:// 开头。";
    case AddressCheck::BadHost: return "地址中没有有效的主机名（或端口）。";
    case AddressCheck::BadCharacter: return "地址中不能有控制字符。";
    case AddressCheck::TooLong: return "地址太长，最多 2048 个字符。";
  }
  return "";
}

NewStationCheck Refuse(const char* text, bool addressAtFault) {
  NewStationCheck check;
  check.refusal = text;
  check.addressAtFault = addressAtFault;
  return check;
}

}  // namespace

NewStationCheck CheckNewStation(std::string_view typedName, std::string_view typedAddress) {
  const std::string name = TrimText(typedName);
  if (std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
      }))
    return Refuse("名称中不能有控制字符。", false);
  if (name.size() > kMaxTypedNameBytes) return Refuse("名称太长，最多 64 个字节（32 个汉字）。", false);
  std::string address;
  const AddressCheck addressCheck = CleanTypedAddress(typedAddress, address);
  if (addressCheck != AddressCheck::Ok) return Refuse(AddressRefusal(addressCheck), true);
  NewStationCheck check;
  check.accepted = true;
  check.station.kind = StationKind::Address;
  check.station.name = name.empty() ? FavoriteName(AddressHost(address)) : name;
  check.station.address = std::move(address);
  return check;
}

}  // namespace trr
