#include "player/nowplaying/icy_metadata.h"

#include <algorithm>

namespace trr {

size_t ParseIcyMetaInterval(std::string_view headerValue) {
  while (!headerValue.empty() && (headerValue.front() == ' ' || headerValue.front() == '\t'))
    headerValue.remove_prefix(1);
  while (!headerValue.empty() && (headerValue.back() == ' ' || headerValue.back() == '\t'))
    headerValue.remove_suffix(1);
  if (headerValue.empty() || headerValue.size() > 6) return 0;
  size_t value = 0;
  for (char c : headerValue) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  return value <= kMaxIcyMetaInterval ? value : 0;
}

bool IcyBlockReader::Feed(std::string_view bytes) {
  if (interval_ == 0) return false;
  while (!bytes.empty() && !complete_) {
    if (audioSeen_ < interval_) {
      const size_t skip = std::min(bytes.size(), interval_ - audioSeen_);
      audioSeen_ += skip;
      bytes.remove_prefix(skip);
    } else if (!haveLength_) {
      haveLength_ = true;
      blockLength_ = static_cast<size_t>(static_cast<unsigned char>(bytes.front())) * 16;
      bytes.remove_prefix(1);
      complete_ = blockLength_ == 0;
    } else {
      const size_t take = std::min(bytes.size(), blockLength_ - block_.size());
      block_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      complete_ = block_.size() == blockLength_;
    }
  }
  return complete_;
}

size_t IcyBlockReader::Wanted() const {
  if (complete_) return 0;
  if (audioSeen_ < interval_) return interval_ - audioSeen_ + 1;
  if (!haveLength_) return 1;
  return blockLength_ - block_.size();
}

std::optional<std::string> StreamTitleOf(std::string_view block) {
  // The text ends at its padding.
  const size_t nul = block.find('\0');
  if (nul != std::string_view::npos) block = block.substr(0, nul);
  constexpr std::string_view kKey = "StreamTitle='";
  const size_t key = block.find(kKey);
  if (key == std::string_view::npos) return std::nullopt;
  std::string_view rest = block.substr(key + kKey.size());
  // A title may hold quotes of its own; the field ends at the first quote that a semicolon follows.
  size_t end = rest.find("';");
  if (end == std::string_view::npos) end = rest.rfind('\'');
  if (end == std::string_view::npos) end = rest.size();
  return std::string(rest.substr(0, end));
}

}  // namespace trr
