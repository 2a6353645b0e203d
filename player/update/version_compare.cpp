#include "player/update/version_compare.h"

#include "common/gbk_text.h"

namespace trr {

bool IsNewerVersion(std::string_view ownVersion, std::string_view remoteVersion) {
  return TextToSingle(ownVersion) < TextToSingle(remoteVersion);
}

}  // namespace trr
