// The start-up update check: the update server's version file against the player's own version; on a newer
// version the updater beside the player takes over.
#pragma once
#include <string>
#include <string_view>

#include "player/update/version_compare.h"

namespace trr {

enum class UpdateDecision {
  Continue,  // no newer version (or it could not be handed over): the player goes on
  HandOver,  // the updater was started: the caller ends the program with exit code 0
};

// `programDirectory` + "/TrRadioDl.exe" (a forward slash, as the updater path has always been built).
std::string UpdaterPath(const std::string& programDirectory);

// Fetches UpdateServerUrl() + "/upload/b.txt" within kSmallReplyLimits into `remoteVersionText` (empty when the
// fetch fails) and, when it announces a newer version than `ownVersion`, starts the updater in
// `programDirectory` without waiting.
// HandOver only when the updater was started; Continue otherwise, a missing updater included.
UpdateDecision CheckForUpdate(std::string_view ownVersion, const std::string& programDirectory,
                              std::string& remoteVersionText);

// The same for the running player: its own version kOwnVersion and its own directory.
UpdateDecision CheckForUpdate(std::string& remoteVersionText);

}  // namespace trr
