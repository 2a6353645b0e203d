#include "player/nowplaying/title_text.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace trr {
namespace {

// The characters of strictly valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF); nullopt
// for anything else. Plain ASCII counts as UTF-8.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> characters;
  characters.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t c = 0, lowest = 0;
    if (lead < 0x80) {
      length = 1, c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, c = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, c = lead & 0x07, lowest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (text.size() - i < length) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    characters.push_back(c);
    i += length;
  }
  return characters;
}

// True when every byte is ASCII or belongs to a two-byte GBK character (lead 0x81..0xFE, trail 0x40..0xFE
// without 0x7F); 0x80 stands alone for the euro sign.
bool IsValidGbk(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte <= 0x80) continue;
    if (byte == 0xFF || i + 1 == text.size()) return false;
    const auto trail = static_cast<unsigned char>(text[++i]);
    if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
  }
  return true;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

// Collects display characters up to kMaxTitleBytes: whole characters only, blanks at the start skipped and
// at the end trimmed.
class TitleBuilder {
 public:
  // False once the title is full.
  bool Add(std::string_view bytes) {
    if (bytes.empty()) return true;
    const bool blank = bytes == " " || bytes == "\xA1\xA1";  // a space, or GBK's ideographic space
    if (text_.empty() && blank) return true;
    if (text_.size() + bytes.size() > kMaxTitleBytes) return false;
    text_.append(bytes);
    if (!blank) kept_ = text_.size();
    return true;
  }
  std::string Take() {
    text_.resize(kept_);
    return std::move(text_);
  }

 private:
  std::string text_;
  size_t kept_ = 0;  // bytes up to the last character that is not a blank
};

std::string FromCharacters(const std::vector<char32_t>& characters, GbkCharacterEncoder encode) {
  TitleBuilder title;
  for (char32_t c : characters) {
    if (IsControl(c)) continue;
    std::string bytes = c < 0x80 ? std::string(1, static_cast<char>(c)) : encode(c);
    if (!title.Add(bytes.empty() ? std::string_view("?") : std::string_view(bytes))) break;
  }
  return title.Take();
}

std::string FromGbk(std::string_view text) {
  TitleBuilder title;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte > 0x80) {
      if (!title.Add(text.substr(i, 2))) break;
      ++i;
    } else if (!IsControl(byte) && !title.Add(text.substr(i, 1))) {
      break;
    }
  }
  return title.Take();
}

}  // namespace

std::string TitleDisplayText(std::string_view raw, std::string_view stationName, GbkCharacterEncoder encode) {
  std::string title;
  if (std::optional<std::vector<char32_t>> utf8 = DecodeUtf8(raw)) {
    title = FromCharacters(*utf8, encode);
  } else if (IsValidGbk(raw)) {
    title = FromGbk(raw);
  } else {
    // Latin-1: every byte is the character of the same number.
    std::vector<char32_t> characters(raw.begin(), raw.end());
    for (char32_t& c : characters) c &= 0xFF;
    title = FromCharacters(characters, encode);
  }
  if (title == stationName) return {};
  return title;
}

}  // namespace trr
