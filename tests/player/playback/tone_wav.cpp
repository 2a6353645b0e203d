#include "tests/player/playback/tone_wav.h"

#include <cmath>
#include <cstdint>

namespace trr::test {

std::string ToneWav(double seconds) {
  const uint32_t rate = 22050;
  const uint32_t samples = static_cast<uint32_t>(seconds * rate);
  std::string bytes;
  auto put32 = [&](uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
  bytes += "RIFF";
  put32(36 + samples * 2);
  bytes += "WAVEfmt ";
  put32(16);
  put16(1);  // PCM
  put16(1);  // mono
  put32(rate);
  put32(rate * 2);
  put16(2);
  put16(16);
  bytes += "data";
  put32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i)
    put16(static_cast<uint16_t>(static_cast<int16_t>(6000 * std::sin(2 * 3.14159265 * 440 * i / rate))));
  return bytes;
}

}  // namespace trr::test
