#include "common/server_address.h"

#include <windows.h>

namespace trr {
namespace {

std::string FromEnvironment(const char* name, const char* fallback) {
  char value[1024];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof(value));
  if (n == 0 || n >= sizeof(value)) return fallback;
  std::string address(value, n);
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address.empty() ? std::string(fallback) : address;
}

}  // namespace

std::string DirectoryServerUrl() { return FromEnvironment("TRRADIO_DIRECTORY_URL", kDefaultDirectoryServer); }
std::string CounterServerUrl() { return FromEnvironment("TRRADIO_COUNTER_URL", kDefaultCounterServer); }
std::string UpdateServerUrl() { return FromEnvironment("TRRADIO_UPDATE_URL", kDefaultUpdateServer); }
std::string CommunityServerUrl() { return FromEnvironment("TRRADIO_COMMUNITY_URL", ""); }
std::string CommunityServerListUrl() {
  return FromEnvironment("TRRADIO_COMMUNITY_SERVERS_URL", kDefaultCommunityServerList);
}

}  // namespace trr
