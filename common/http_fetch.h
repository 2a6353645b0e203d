// HTTP GET through WinINet.
#pragma once
#include <string>

namespace trr {

struct FetchTimeouts {
  unsigned connectMs = 3000;  // to open the connection
  unsigned receiveMs = 3000;  // between received bytes
  unsigned totalMs = 6000;    // for the whole request; a trickling server is cut off here
};

// The body of a GET of `url` as bytes. Empty on any failure: no connection, a status outside 200..299, a read
// error or a timeout. Never served from or written to the WinINet cache, so a counter or version file is
// always read fresh.
std::string HttpGet(const std::string& url, const FetchTimeouts& timeouts = FetchTimeouts());

}  // namespace trr
