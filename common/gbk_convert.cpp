#include "common/gbk_convert.h"

#include <windows.h>

#include <climits>

namespace trr {
namespace {
constexpr UINT kGbkCodePage = 936;
// The conversion calls take an int length; longer text converts to nothing rather than to a cut copy.
constexpr size_t kMaxConvertible = INT_MAX;
}  // namespace

std::wstring GbkToWide(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > kMaxConvertible) return {};
  int n = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), n);
  return wide;
}

std::string WideToGbk(std::wstring_view wide) {
  if (wide.empty() || wide.size() > kMaxConvertible) return {};
  int n = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string gbk(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), gbk.data(), n, nullptr,
                        nullptr);
  return gbk;
}

std::string GbkCharacterOf(char32_t character) {
  if (character < 0x80) return std::string(1, static_cast<char>(character));
  if (character > 0xFFFF || (character >= 0xD800 && character <= 0xDFFF) ||
      (character >= 0xE000 && character <= 0xF8FF))
    return {};
  const wchar_t wide = static_cast<wchar_t>(character);
  char bytes[4];
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof(bytes), nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return {};
  return std::string(bytes, static_cast<size_t>(n));
}

}  // namespace trr
