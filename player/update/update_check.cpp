#include "player/update/update_check.h"

#include "common/file_util.h"
#include "common/http_fetch.h"
#include "common/process_start.h"
#include "common/server_address.h"
#include "player/update/version.h"

namespace trr {

std::string UpdaterPath(const std::string& programDirectory) { return programDirectory + "/TrRadioDl.exe"; }

UpdateDecision CheckForUpdate(std::string_view ownVersion, const std::string& programDirectory,
                              std::string& remoteVersionText) {
  remoteVersionText = HttpGet(UpdateServerUrl() + "/upload/b.txt", kSmallReplyLimits);
  if (!IsNewerVersion(ownVersion, remoteVersionText)) return UpdateDecision::Continue;
  // Ending without a running updater would make the player vanish at every start until the server's version
  // file changes, so the player only ends when the updater is actually on its way.
  if (programDirectory.empty() || !StartProgram(UpdaterPath(programDirectory))) return UpdateDecision::Continue;
  return UpdateDecision::HandOver;
}

UpdateDecision CheckForUpdate(std::string& remoteVersionText) {
  return CheckForUpdate(kOwnVersion, ModuleDirectory(), remoteVersionText);
}

}  // namespace trr
