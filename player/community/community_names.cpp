#include "player/community/community_names.h"

#include <windows.h>

#include "common/gbk_convert.h"
#include "player/community/community_directory.h"

namespace trr {
namespace {

bool IsCountryCode(std::string_view code) {
  return code.size() == 2 && code[0] >= 'A' && code[0] <= 'Z' && code[1] >= 'A' && code[1] <= 'Z';
}

std::string FallbackName(std::string_view countryCode, size_t numberInGroup) {
  std::string name = IsCountryCode(countryCode) ? std::string(countryCode) + " " : std::string();
  return name + "电台 " + std::to_string(numberInGroup);
}

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > 1024 * 1024) return {};
  const int size = static_cast<int>(utf8.size());
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
  return wide;
}

bool IsLetterOrDigit(wchar_t c) {
  WORD type = 0;
  return GetStringTypeW(CT_CTYPE1, &c, 1, &type) && (type & (C1_ALPHA | C1_DIGIT)) != 0;
}

}  // namespace

std::string CommunityDisplayName(std::string_view utf8Name, std::string_view countryCode, size_t numberInGroup) {
  const std::wstring wide = Utf8ToWide(utf8Name);
  std::string name;
  bool hasLetterOrDigit = false;
  size_t kept = 0;  // bytes of `name` up to its last character that is not a blank
  for (size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    std::string bytes;
    bool letter = false;
    if (c >= 0xD800 && c <= 0xDFFF) {
      // A character beyond the Basic Multilingual Plane (an emoji, say): one "?" for its two halves.
      if (c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) ++i;
      bytes = "?";
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029) {
      bytes = " ";
    } else {
      bytes = GbkCharacterOf(c);
      if (bytes.empty())
        bytes = "?";
      else
        letter = IsLetterOrDigit(c);
    }
    if (name.empty() && bytes == " ") continue;  // blanks at the start
    if (name.size() + bytes.size() > kMaxDisplayNameBytes) break;
    name += bytes;
    hasLetterOrDigit = hasLetterOrDigit || letter;
    if (bytes != " ") kept = name.size();
  }
  name.resize(kept);
  if (!hasLetterOrDigit || !IsDisplayName(name)) return FallbackName(countryCode, numberInGroup);
  return name;
}

}  // namespace trr
