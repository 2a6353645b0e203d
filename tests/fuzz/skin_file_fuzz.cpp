// The skin file parser on any file: a parsed password always fits its buffer and is terminated.
#include <cstring>

#include "skin/skin_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trskin::SkinFile skin;
  if (trskin::ParseSkinFile(reinterpret_cast<const char*>(data), size, skin) &&
      strnlen(skin.password, sizeof(skin.password)) > trskin::kMaxPassword)
    __builtin_trap();
  return 0;
}
