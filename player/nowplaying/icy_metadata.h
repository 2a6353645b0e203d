// The song titles that Shoutcast and Icecast servers put into a stream asked for with "Icy-MetaData: 1": after
// every `icy-metaint` bytes of audio comes one length byte n, then n * 16 bytes of metadata text such as
// "StreamTitle='Artist - Song';StreamUrl='';", padded with NUL bytes (n = 0: no metadata this time). Pure
// byte work, no network.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace trr {

// The largest metadata interval the player accepts; larger ones (and 0) mean a stream it does not read.
constexpr size_t kMaxIcyMetaInterval = 64 * 1024;

// The interval named by an icy-metaint header's text: 1 to kMaxIcyMetaInterval; 0 for anything else.
size_t ParseIcyMetaInterval(std::string_view headerValue);

// Reads a stream's body up to the end of its first metadata block.
class IcyBlockReader {
 public:
  // `metaInterval` from ParseIcyMetaInterval (0 makes a reader that never completes).
  explicit IcyBlockReader(size_t metaInterval) : interval_(metaInterval) {}

  // Takes the next bytes of the body; the bytes beyond the first block are ignored. True once the block is whole.
  bool Feed(std::string_view bytes);

  // How many more bytes the first block needs (at least 1 until it is whole, 0 after; the length byte counts).
  size_t Wanted() const;

  bool Complete() const { return complete_; }
  // The metadata of the first block, NUL padding included; empty before it is whole (or when it was empty).
  const std::string& Block() const { return block_; }

 private:
  size_t interval_;
  size_t audioSeen_ = 0;      // audio bytes passed over so far
  bool haveLength_ = false;   // the length byte has arrived
  size_t blockLength_ = 0;    // bytes of metadata announced by it
  bool complete_ = false;
  std::string block_;
};

// The title of a metadata block: the text between "StreamTitle='" and the "';" (or, without one, the last "'")
// that ends it; nullopt when the block has no StreamTitle.
std::optional<std::string> StreamTitleOf(std::string_view block);

}  // namespace trr
