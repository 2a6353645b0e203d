// Short WAV files for the media player tests: local files are what the control can open on this machine.
#pragma once
#include <string>

namespace trr::test {

// A mono 16-bit PCM tone of `seconds` at 22,050 samples per second, as the bytes of a WAV file.
std::string ToneWav(double seconds);

}  // namespace trr::test
