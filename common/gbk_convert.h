// Conversions between GBK bytes (code page 936) and UTF-16, used where a platform API speaks UTF-16 (the XML
// DOM, wide window texts). Both directions are lossless for text that GBK can hold.
#pragma once
#include <string>
#include <string_view>

namespace trr {

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

// The GBK bytes of one Unicode character; empty when GBK has no such character (no best-fit stand-ins: a
// look-alike would show a different text), for characters beyond the Basic Multilingual Plane and for the
// private-use area (GBK's user-defined codes, which no font draws).
std::string GbkCharacterOf(char32_t character);

}  // namespace trr
