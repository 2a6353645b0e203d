// Playlists that stand between a station's address and its stream: PLS ("[playlist]" with File1=...), M3U
// ("#EXTM3U" or plain lines of addresses) and ASX (XML with <ref href="..."/>). Recognised by the reply's
// Content-Type or by the body's first line, whatever the address ends with. Pure text work.
#pragma once
#include <string>
#include <string_view>

namespace trr {

// The largest playlist the player reads.
constexpr size_t kMaxPlaylistBytes = 64 * 1024;

enum class PlaylistKind { None, Pls, M3u, Asx };

// The kind of playlist a reply is, from its Content-Type (parameters ignored, any letter case) or, failing
// that, from the first line of `bodyStart` (the first bytes of its body); None for anything else, audio
// included.
PlaylistKind PlaylistKindOf(std::string_view contentType, std::string_view bodyStart);

// The first http or https entry of the playlist `body`; empty when it has none.
std::string FirstPlaylistEntry(PlaylistKind kind, std::string_view body);

}  // namespace trr
