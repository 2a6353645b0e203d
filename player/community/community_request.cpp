#include "player/community/community_request.h"

#include "common/server_address.h"
#include "player/update/version.h"

namespace trr {
namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i == text.size()) return false;
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool IsPlainHttpAddress(const std::string& url) { return StartsWithIgnoringCase(url, "http://"); }

std::string CommunityUserAgent() { return std::string("TiroRadio/") + kOwnVersion; }

bool IsCommunityRequestAllowed(const std::string& url) {
  if (StartsWithIgnoringCase(url, "https://")) return true;
  // Plain http only where the environment itself names an http server: the tests' and the demo's.
  return IsPlainHttpAddress(url) && (IsPlainHttpAddress(CommunityServerUrl()) || IsPlainHttpAddress(CommunityServerListUrl()));
}

std::shared_ptr<HttpSession> NewCommunitySession() {
  try {
    return std::make_shared<HttpSession>(CommunityUserAgent().c_str(), kCommunityRedirects);
  } catch (...) {
    return nullptr;
  }
}

std::string CommunityRequest(HttpSession& session, const std::string& url, const FetchLimits& limits) {
  if (!IsCommunityRequestAllowed(url)) return {};
  return session.Get(url, limits);
}

CommunityGet CommunityRequests() {
  std::shared_ptr<HttpSession> session = NewCommunitySession();
  return [session](const std::string& url, const FetchLimits& limits) {
    return session ? CommunityRequest(*session, url, limits) : std::string();
  };
}

}  // namespace trr
