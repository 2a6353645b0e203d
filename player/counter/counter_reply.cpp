#include "player/counter/counter_reply.h"

#include "common/gbk_text.h"

namespace trr {

std::string ParseCounterReply(std::string_view reply) {
  constexpr std::string_view kMarker = "none>";
  size_t at = reply.find(kMarker);
  if (at == std::string_view::npos) return "0";
  std::string_view tail = reply.substr(at + kMarker.size());
  size_t end = tail.find('<');
  if (end == std::string_view::npos) return "0";
  return std::to_string(TextToInt(tail.substr(0, end)));
}

std::string CounterLabelText(std::string_view number) {
  return "当前在线:" + std::string(number) + "人";
}

}  // namespace trr
