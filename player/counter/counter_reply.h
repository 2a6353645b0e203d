// The counter page's reply and the label text made from it. Pure text work, no windows or threads.
#pragma once
#include <string>
#include <string_view>

namespace trr {

// The number of a counter reply as decimal text: the bytes after the first "none>" (letter case significant)
// up to the next "<", converted to an integer, leading zeros dropped. "0" for anything else, a missing "<"
// included.
std::string ParseCounterReply(std::string_view reply);

// "当前在线:" + number + "人".
std::string CounterLabelText(std::string_view number);

}  // namespace trr
