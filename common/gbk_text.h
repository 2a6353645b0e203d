// Text helpers for GBK (code page 936) byte strings. Positions and lengths count bytes; a Chinese character
// counts two. ASCII case folding never touches the bytes of a double-byte character.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace trr {

// Position of the first occurrence of `needle` in `text` at or after `from`, ignoring the case of ASCII
// letters; std::string::npos when absent. Never matches starting on the trail byte of a GBK character.
size_t FindIgnoringAsciiCase(std::string_view text, std::string_view needle, size_t from = 0);

// The text after the first `open` marker and before the first `close` marker that follows it (both found
// ignoring ASCII case). Empty when `open` is absent; empty as well when `close` is absent after it.
std::string TextBetween(std::string_view source, std::string_view open, std::string_view close);

// Splits `text` at every occurrence of `separator` (exact bytes). Two separators in a row give an empty part;
// an empty text gives one empty part. An empty separator returns the whole text as the only part.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// Removes spaces, tabs, CR and LF at both ends.
std::string TrimText(std::string_view text);

// The numeric value of the longest leading decimal number (leading blanks skipped, optional sign, digits,
// optional fraction). Text that does not start with a number gives 0.
double TextToDouble(std::string_view text);

// TextToDouble truncated toward zero and clamped into the int range.
int TextToInt(std::string_view text);

// TextToDouble as single precision, for version comparisons.
float TextToSingle(std::string_view text);

// True when the byte starts a double-byte GBK character.
inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace trr
