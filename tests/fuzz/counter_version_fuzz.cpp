// The counter reply parser and the version comparison on any text: the count is a decimal integer, and no two
// versions are each newer than the other.
#include <string>

#include "player/counter/counter_reply.h"
#include "player/update/version_compare.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string count = trr::ParseCounterReply(text);
  size_t digits = count[0] == '-' ? 1 : 0;
  if (count.size() == digits || count.find_first_not_of("0123456789", digits) != std::string::npos) __builtin_trap();
  std::string_view own = text.substr(0, size / 2), remote = text.substr(size / 2);
  if (trr::IsNewerVersion(own, remote) && trr::IsNewerVersion(remote, own)) __builtin_trap();
  if (trr::IsNewerVersion(own, own)) __builtin_trap();
  return 0;
}
