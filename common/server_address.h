// Addresses of the servers the programs talk to. Each has a compiled-in default and can be overridden at run time
// by an environment variable holding a base address such as http://127.0.0.1:8080 (no trailing slash).
#pragma once
#include <string>

namespace trr {

constexpr const char kDefaultDirectoryServer[] = "http://www.tiroradio.com";
constexpr const char kDefaultCounterServer[] = "http://count.tiroradio.com";
constexpr const char kDefaultUpdateServer[] = "http://update.tiroradio.com";
// The community radio directory's list of its API servers (each serves the same JSON API).
constexpr const char kDefaultCommunityServerList[] = "https://all.api.radio-browser.info/json/servers";

std::string DirectoryServerUrl();  // TRRADIO_DIRECTORY_URL
std::string CounterServerUrl();    // TRRADIO_COUNTER_URL
std::string UpdateServerUrl();     // TRRADIO_UPDATE_URL

// The community directory's API server when TRRADIO_COMMUNITY_URL names one; empty when the player is to find
// one through the server list.
std::string CommunityServerUrl();
// The address of that server list (a full address, not a base): TRRADIO_COMMUNITY_SERVERS_URL, or the default.
std::string CommunityServerListUrl();

}  // namespace trr
