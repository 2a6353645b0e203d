// Conversions between GBK bytes (code page 936) and UTF-16, used where a platform API speaks UTF-16 (the XML
// DOM, wide window texts). Both directions are lossless for text that GBK can hold.
#pragma once
#include <string>
#include <string_view>

namespace trr {

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

}  // namespace trr
