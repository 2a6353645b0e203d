#include "player/nowplaying/stream_probe.h"

#include <wininet.h>

#include "common/http_client.h"
#include "player/nowplaying/icy_metadata.h"
#include "player/nowplaying/playlist.h"

namespace trr {
namespace {

constexpr unsigned kConnectMs = 5000;
constexpr unsigned kIdleMs = 5000;
constexpr char kAskForTitles[] = "Icy-MetaData: 1\r\n";

// The playlist's entry may be taken: an http or https address with a host, never from https down to http,
// and one that `allowed` lets through.
bool MayGo(const UrlParts& from, const std::string& to, ProbeAddressCheck allowed, UrlParts& parts) {
  if (!SplitUrl(to, parts) || parts.scheme == INTERNET_SCHEME_FTP || !parts.user.empty()) return false;
  if (from.scheme == INTERNET_SCHEME_HTTPS && parts.scheme != INTERNET_SCHEME_HTTPS) return false;
  return !allowed || allowed(to);
}

unsigned PlausibleBitrate(const std::string& header) {
  if (header.empty() || header.size() > 4) return 0;
  unsigned value = 0;
  for (char c : header) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value >= 8 && value <= 1000 ? value : 0;
}

// Reads the stream up to the end of its first metadata block.
void ReadTitle(HINTERNET request, size_t interval, const RequestDeadline& deadline, ProbeResult& result) {
  IcyBlockReader reader(interval);
  std::string bytes;
  while (!reader.Complete()) {
    bytes.clear();
    if (!ReadArrived(request, deadline, kIdleMs, reader.Wanted(), bytes) || bytes.empty()) return;  // cut short
    result.bytesReceived += bytes.size();
    reader.Feed(bytes);
  }
  std::optional<std::string> title = StreamTitleOf(reader.Block());
  result.outcome = title ? ProbeResult::Outcome::Title : ProbeResult::Outcome::NoTitle;
  if (title) result.title = std::move(*title);
  // What the server sent beyond the block has crossed the network too: the reader's pause accounts for it.
  DWORD instant = 1, buffered = 0;
  InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &instant, sizeof(instant));
  if (InternetQueryDataAvailable(request, &buffered, 0, 0)) result.bytesReceived += buffered;
}

// The first bytes of a body, up to `most`, within the deadline.
std::string ReadUpTo(HINTERNET request, const RequestDeadline& deadline, size_t most) {
  std::string body;
  while (body.size() < most) {
    const size_t before = body.size();
    if (!ReadArrived(request, deadline, kIdleMs, most - body.size(), body) || body.size() == before) break;
  }
  return body;
}

}  // namespace

ProbeResult ProbeStreamTitle(const std::string& url, ProbeAddressCheck allowed, const char* agent,
                             ULONGLONG startTick) {
  ProbeResult result;
  const RequestDeadline deadline(startTick, kProbeDeadlineMs);
  UrlParts parts;
  if (!SplitUrl(url, parts) || parts.scheme == INTERNET_SCHEME_FTP) return result;
  RedirectRule redirects;
  redirects.maxRedirects = kMaxProbeRedirects;
  redirects.allowed = allowed;
  // The station's address, then, when it answers with a playlist, the playlist's first entry.
  for (int hop = 0; hop < 2 && !deadline.Passed(); ++hop) {
    HttpTimeouts timeouts;
    timeouts.connectMs = deadline.Clip(kConnectMs);
    timeouts.sendMs = timeouts.receiveMs = deadline.Clip(kIdleMs);
    OpenedGet reply;
    DWORD error = 0;
    if (!OpenHttpGet(parts, agent, timeouts, reply, error, nullptr, redirects, kAskForTitles)) return result;
    const HINTERNET request = reply.request.get();
    const std::string metaint = ReplyHeader(request, "icy-metaint");
    if (!metaint.empty()) {
      // An interval of 0 or beyond the limit is a stream the reader does not take.
      const size_t interval = ParseIcyMetaInterval(metaint);
      if (interval == 0) return result;
      result.streamUrl = AddressText(reply.address);
      result.bitrateKbps = PlausibleBitrate(ReplyHeader(request, "icy-br"));
      ReadTitle(request, interval, deadline, result);
      return result;
    }
    const std::string body = ReadUpTo(request, deadline, kMaxPlaylistBytes);
    result.bytesReceived += body.size();
    const PlaylistKind kind = PlaylistKindOf(ReplyHeader(request, "Content-Type"), body);
    if (kind == PlaylistKind::None) return result;  // audio without titles, a web page, a login form
    UrlParts next;
    if (!MayGo(reply.address, FirstPlaylistEntry(kind, body), allowed, next)) return result;
    parts = std::move(next);
  }
  return result;  // a playlist leading to a playlist, or the deadline
}

}  // namespace trr
