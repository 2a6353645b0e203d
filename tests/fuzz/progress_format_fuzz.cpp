// Progress formatting for any sizes and speeds: the bar position stays within 0..100 and never falls as more
// bytes arrive, and any number formats.
#include <cstring>

#include "updater/progress_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int64_t v[3] = {};
  double number = 0;
  if (size < sizeof(v) + sizeof(number) + 1) return 0;
  memcpy(v, data, sizeof(v));
  memcpy(&number, data + sizeof(v), sizeof(number));
  trr::ProgressTexts texts = trr::FormatProgress(v[0], v[1], v[2]);
  if (texts.position < 0 || texts.position > 100) __builtin_trap();
  if (v[1] < INT64_MAX && trr::ProgressPercent(v[1] + 1, v[0]) < texts.position) __builtin_trap();
  trr::FormatDecimal(number, data[sizeof(v) + sizeof(number)] % 8);
  return 0;
}
