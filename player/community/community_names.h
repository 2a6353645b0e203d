// Station names of the community directory, from the UTF-8 of its replies to the GBK text the player shows.
#pragma once
#include <string>
#include <string_view>

namespace trr {

// The display name (IsDisplayName) of a station called `utf8Name` (valid UTF-8; anything else reads as
// unnamed): every character GBK cannot hold becomes one "?", control characters become spaces, blanks at both
// ends go, and the text is cut to kMaxDisplayNameBytes without splitting a character. A name left without any
// letter or digit is shown as `countryCode`, "电台" and `numberInGroup` ("JP 电台 17"; without a country code
// "电台 17").
std::string CommunityDisplayName(std::string_view utf8Name, std::string_view countryCode, size_t numberInGroup);

}  // namespace trr
