#include "common/gbk_text.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace trr {
namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(std::string_view text, size_t at, std::string_view needle) {
  // The start is lead-byte aligned and the two strings agree byte for byte up to k, so a pair starts at the
  // same place in both. Only single-byte characters are folded; the trail byte of a pair (which may be an
  // ASCII letter) is compared exactly.
  bool trail = false;
  for (size_t k = 0; k < needle.size(); ++k) {
    char c = text[at + k];
    if (trail ? c != needle[k] : FoldAscii(c) != FoldAscii(needle[k])) return false;
    trail = !trail && IsGbkLeadByte(static_cast<unsigned char>(c));
  }
  return true;
}

}  // namespace

size_t FindIgnoringAsciiCase(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (needle.size() > text.size()) return std::string_view::npos;
  size_t last = text.size() - needle.size();
  const char first = FoldAscii(needle[0]);
  size_t i = 0;
  while (i <= last) {
    // The first byte alone rules out almost every position, so a long text costs little more than the walk.
    if (i >= from && FoldAscii(text[i]) == first && MatchesAt(text, i, needle)) return i;
    // Step over whole characters so that a marker never matches inside a double-byte character.
    bool pair = IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    i += pair ? 2 : 1;
  }
  return std::string_view::npos;
}

std::string TextBetween(std::string_view source, std::string_view open, std::string_view close) {
  size_t start = FindIgnoringAsciiCase(source, open);
  if (start == std::string_view::npos) return {};
  start += open.size();
  size_t end = FindIgnoringAsciiCase(source, close, start);
  if (end == std::string_view::npos) return {};
  return std::string(source.substr(start, end - start));
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  size_t begin = 0;
  for (;;) {
    size_t at = text.find(separator, begin);
    if (at == std::string_view::npos) break;
    parts.emplace_back(text.substr(begin, at - begin));
    begin = at + separator.size();
  }
  parts.emplace_back(text.substr(begin));
  return parts;
}

std::string TrimText(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  size_t b = 0, e = text.size();
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

double TextToDouble(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  size_t begin = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0;
  // Only the matched prefix reaches strtod, so exponents, hex and "inf" are never read.
  std::string number(text.substr(begin, i - begin));
  return std::strtod(number.c_str(), nullptr);
}

int TextToInt(std::string_view text) {
  double v = std::trunc(TextToDouble(text));
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}

float TextToSingle(std::string_view text) { return static_cast<float>(TextToDouble(text)); }

}  // namespace trr
