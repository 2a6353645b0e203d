// The updater's settings file "trup.ini": its default text and reading the download address.
#pragma once
#include <string>

namespace trr {

constexpr const char kSettingsFileName[] = "trup.ini";
constexpr const char kSettingsSection[] = "基本设置";
// Where the update server keeps the newest player of this build's architecture.
#ifdef _WIN64
constexpr const char kPlayerDownloadPath[] = "/trftv/x64/trRadio.exe";
#else
constexpr const char kPlayerDownloadPath[] = "/trftv/trRadio.exe";
#endif

// The default file content for the update server at `serverUrl` (no trailing slash): three lines joined by
// CR LF, none after the last, as GBK bytes.
std::string DefaultSettingsText(const std::string& serverUrl);

// Key "up" of the settings file at `path`, with blanks removed at both ends; empty when the file or key is
// missing.
std::string ReadUpdateAddress(const std::string& path);

}  // namespace trr
