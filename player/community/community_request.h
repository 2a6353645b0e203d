// How the community source reaches the network: every request of it (the server list, the station listings, a
// station's look-up) is one CommunityRequest. It goes out with the community agent, within the caller's limits,
// by https only (plain http only where the environment names an http server, as the tests and the demo do),
// and follows a redirect only to the same host, never from https to http.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/http_fetch.h"
#include "player/community/community_reply.h"

namespace trr {

// Every request of the station list and of the server list.
constexpr FetchLimits kCommunityLimits = {kMaxCommunityReplyBytes, 5000, 10000, 30000};

// The redirects a community request follows: to the same host only, and never from https to http.
constexpr RedirectRule kCommunityRedirects = {5, true};

// One GET as the community requests make it; the body, empty on failure.
using CommunityGet = std::function<std::string(const std::string& url, const FetchLimits& limits)>;

// "TiroRadio/" followed by the version the player announces.
std::string CommunityUserAgent();

// True when `url` starts with "http://" (any letter case).
bool IsPlainHttpAddress(const std::string& url);

// True when the community source may send a request to `url`: an https address, or an http one while
// TRRADIO_COMMUNITY_URL or TRRADIO_COMMUNITY_SERVERS_URL names an http address.
bool IsCommunityRequestAllowed(const std::string& url);

// A session for community requests: CommunityUserAgent() and kCommunityRedirects. Null when no memory.
std::shared_ptr<HttpSession> NewCommunitySession();

// The one community GET: `url` through `session` (made by NewCommunitySession) within `limits`. Empty, with
// nothing sent, when IsCommunityRequestAllowed refuses `url`; empty on any failure of the request (a refused
// certificate, a redirect to another host or to http, a deadline passed...).
std::string CommunityRequest(HttpSession& session, const std::string& url, const FetchLimits& limits);

// A CommunityGet over a session of its own, shared by the copies of the function: the requests of one job
// or worker. It never throws; without memory for its session every request fails unsent.
CommunityGet CommunityRequests();

}  // namespace trr
