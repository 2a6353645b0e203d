#include "updater/carried_data.h"

#include <windows.h>

namespace trr {

CarriedBytes CarriedResource(const char* name) {
  CarriedBytes bytes;
  HRSRC found = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return bytes;
  HGLOBAL loaded = LoadResource(nullptr, found);
  if (!loaded) return bytes;
  bytes.data = static_cast<const uint8_t*>(LockResource(loaded));
  bytes.size = bytes.data ? SizeofResource(nullptr, found) : 0;
  return bytes;
}

}  // namespace trr
