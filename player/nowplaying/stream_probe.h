// One try of the now-playing reader: asks a station's stream for its current song title and hangs up. It sends
// "Icy-MetaData: 1", follows redirects itself (never from https to http, at most kMaxProbeRedirects, each
// target checked) and one level of playlist (its first http or https entry, checked the same way), then reads
// the stream up to the end of its first metadata block and closes the connection: a few kilobytes, not a second
// stream. Blocking, so it runs on a worker; every wait is bounded by the try's deadline except the one the
// platform cannot cut short (headers trickled byte by byte), which the reader's own deadline covers.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace trr {

// Redirects followed in one request at most; one more is a loop.
constexpr int kMaxProbeRedirects = 5;
// One try's deadline, from its start.
constexpr unsigned kProbeDeadlineMs = 10000;

// Whether the reader may go to an address it met on the way (a redirect's target, a playlist's entry); nullptr
// lets every http and https address through.
using ProbeAddressCheck = bool (*)(std::string_view url);

struct ProbeResult {
  enum class Outcome {
    Title,    // the first metadata block carried a StreamTitle
    NoTitle,  // the stream answered, but its first block had no title
    Failed,   // no stream with titles: refused, cut, not ICY, HTML, a loop, a bad address, the deadline
  };
  Outcome outcome = Outcome::Failed;
  std::string title;         // the StreamTitle's bytes as sent (Outcome::Title)
  std::string streamUrl;     // the address that answered with the stream (Title, NoTitle): the next try's start
  size_t bytesReceived = 0;  // body bytes read, playlists included, and those that had arrived beyond them
  unsigned bitrateKbps = 0;  // the stream's icy-br, when it gave a plausible one
};

// Asks `url` (http or https) within kProbeDeadlineMs from `startTick` (GetTickCount64) with the agent `agent`.
ProbeResult ProbeStreamTitle(const std::string& url, ProbeAddressCheck allowed, const char* agent,
                             ULONGLONG startTick);

}  // namespace trr
