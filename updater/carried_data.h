// Byte blocks that the updater carries in its resources: the skin engine image and the skin file.
#pragma once
#include <cstddef>
#include <cstdint>

namespace trr {

constexpr const char kSkinEngineResource[] = "TRSKIN_DLL";
constexpr const char kSkinFileResource[] = "TRSS_SHE";

struct CarriedBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The RCDATA resource `name` of the running executable; empty when it is missing.
CarriedBytes CarriedResource(const char* name);

}  // namespace trr
