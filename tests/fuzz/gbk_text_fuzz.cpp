// The GBK text helpers on any bytes. The first byte gives the needle's length; a match must start on a character
// and agree with the needle, ASCII letters folded only where they are whole characters.
#include <string>
#include <vector>

#include "common/gbk_text.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsCharacter(std::string_view text, size_t at) {
  size_t i = 0;
  while (i < at) i += trr::IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  return i == at;
}

bool AgreesAt(std::string_view text, size_t at, std::string_view needle) {
  for (size_t k = 0; k < needle.size(); ++k) {
    bool lead = trr::IsGbkLeadByte(static_cast<unsigned char>(text[at + k])) && at + k + 1 < text.size();
    if (lead && k + 1 < needle.size()) {
      if (text[at + k] != needle[k] || text[at + k + 1] != needle[k + 1]) return false;
      ++k;
    } else if (Fold(text[at + k]) != Fold(needle[k])) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t needleLength = data[0] % 8 < all.size() ? data[0] % 8 : all.size();
  std::string_view needle = all.substr(0, needleLength), text = all.substr(needleLength);
  size_t at = trr::FindIgnoringAsciiCase(text, needle);
  if (at != std::string_view::npos && !needle.empty()) {
    Check(at + needle.size() <= text.size() && StartsCharacter(text, at) && AgreesAt(text, at, needle));
  }
  std::string between = trr::TextBetween(text, needle, "<");
  Check(between.size() <= text.size());
  if (!needle.empty()) {
    std::string joined;
    std::vector<std::string> parts = trr::SplitText(text, needle);
    for (size_t i = 0; i < parts.size(); ++i) joined += (i ? std::string(needle) : std::string()) + parts[i];
    Check(joined == text);
  }
  Check(trr::TrimText(text).size() <= text.size());
  trr::TextToInt(text);
  trr::TextToSingle(text);
  return 0;
}
