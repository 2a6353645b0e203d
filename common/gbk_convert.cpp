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

}  // namespace trr
