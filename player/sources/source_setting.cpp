#include "player/sources/source_setting.h"

#include <windows.h>

#include "common/gbk_text.h"

namespace trr {

std::string SettingsPath(const std::string& programDirectory) { return programDirectory + "\\trRadio.ini"; }

DirectorySource ReadDirectorySource(const std::string& settingsPath) {
  char value[64] = "";
  GetPrivateProfileStringA("Directory", "Source", "", value, sizeof(value), settingsPath.c_str());
  const std::string source = TrimText(value);
  if (lstrcmpiA(source.c_str(), "builtin") == 0) return DirectorySource::Builtin;
  if (lstrcmpiA(source.c_str(), "community") == 0) return DirectorySource::Community;
  return DirectorySource::Auto;
}

}  // namespace trr
