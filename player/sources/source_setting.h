// Where the player takes its station list from: the setting Source of section [Directory] in "trRadio.ini"
// beside the program.
#pragma once
#include <string>

namespace trr {

enum class DirectorySource {
  Builtin,    // the built-in directory server and its cache "GB.Dat" only
  Community,  // the community radio directory and its cache "Community.Dat" only
  Auto,       // the built-in directory; the community one when neither it nor a cache yields a list
};

// Program directory + "\trRadio.ini".
std::string SettingsPath(const std::string& programDirectory);

// The source named in the settings file at `settingsPath`: "builtin", "community" or "auto" in any letter case,
// blanks around it ignored. Auto when the file, the section or the key is missing, and for any other value.
DirectorySource ReadDirectorySource(const std::string& settingsPath);

}  // namespace trr
