// Addresses of the servers the programs talk to. Each has a compiled-in default and can be overridden at run time
// by an environment variable holding a base address such as http://127.0.0.1:8080 (no trailing slash).
#pragma once
#include <string>

namespace trr {

constexpr const char kDefaultDirectoryServer[] = "http://www.tiroradio.com";
constexpr const char kDefaultCounterServer[] = "http://count.tiroradio.com";
constexpr const char kDefaultUpdateServer[] = "http://update.tiroradio.com";

std::string DirectoryServerUrl();  // TRRADIO_DIRECTORY_URL
std::string CounterServerUrl();    // TRRADIO_COUNTER_URL
std::string UpdateServerUrl();     // TRRADIO_UPDATE_URL

}  // namespace trr
