#include "updater/settings_file.h"

#include <windows.h>

#include <vector>

#include "common/gbk_text.h"

namespace trr {

std::string DefaultSettingsText(const std::string& serverUrl) {
  return std::string("[") + kSettingsSection + "]\r\n" + "up=" + serverUrl + kPlayerDownloadPath + "\r\n" + "upr=" +
         serverUrl + "/trftv/Vorudoredu.exe";
}

std::string ReadUpdateAddress(const std::string& path) {
  std::vector<char> value(4096);
  DWORD length = GetPrivateProfileStringA(kSettingsSection, "up", "", value.data(),
                                          static_cast<DWORD>(value.size()), path.c_str());
  return TrimText(std::string(value.data(), length));
}

}  // namespace trr
