// The song title of a stream as the player shows it: from the bytes a server put between the quotes of its
// StreamTitle to GBK display text. Pure text work, no windows; the one platform call (a character's GBK bytes)
// comes in as a function, so that the rest runs anywhere.
#pragma once
#include <string>
#include <string_view>

namespace trr {

// Longest title shown, in GBK bytes (cut on a character boundary).
constexpr size_t kMaxTitleBytes = 256;

// The GBK bytes of one Unicode character; empty when GBK has no such character.
using GbkCharacterEncoder = std::string (*)(char32_t character);

// The display text of the title `raw`: valid UTF-8 is converted to GBK (a character GBK cannot hold becomes
// "?"); otherwise text that is valid GBK is kept as it is; otherwise it is read as Latin-1. Control characters
// are dropped, blanks at both ends go, and the text is cut to kMaxTitleBytes. Empty when nothing is left or when
// the title only repeats `stationName`.
std::string TitleDisplayText(std::string_view raw, std::string_view stationName, GbkCharacterEncoder encode);

}  // namespace trr
