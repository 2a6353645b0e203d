#include "player/search/search_text.h"

#include "player/search/hanzi_tables.h"

namespace trr {
namespace {

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrail(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }
bool IsAsciiAlnum(unsigned c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// Bytes of the character at `at`: 2 for a double-byte character, 1 for anything else.
size_t CharacterSize(std::string_view text, size_t at) {
  return IsLead(static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                 IsTrail(static_cast<unsigned char>(text[at + 1]))
             ? 2
             : 1;
}

// The character at `at` (lead << 8 | trail, or the byte), and its size.
uint16_t CharacterAt(std::string_view text, size_t at, size_t& size) {
  size = CharacterSize(text, at);
  const auto first = static_cast<unsigned char>(text[at]);
  return size == 2 ? static_cast<uint16_t>(first << 8 | static_cast<unsigned char>(text[at + 1])) : first;
}

// A folded character whose trail, when it has one, keeps the text's characters apart as before: a stray byte
// stays followed by a byte that is no trail (those are never changed by folding).
void AppendFolded(uint16_t character, std::string& out) {
  if (character < 0x100) {
    out += static_cast<char>(character >= 'A' && character <= 'Z' ? character + 32 : character);
    return;
  }
  const unsigned lead = character >> 8, trail = character & 0xFF;
  // Full-width letters and digits (GBK row 0xA3) as ASCII, the ideographic space as a blank.
  if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9) return void(out += static_cast<char>('0' + trail - 0xB0));
  if (lead == 0xA3 && trail >= 0xC1 && trail <= 0xDA) return void(out += static_cast<char>('a' + trail - 0xC1));
  if (lead == 0xA3 && trail >= 0xE1 && trail <= 0xFA) return void(out += static_cast<char>('a' + trail - 0xE1));
  if (lead == 0xA1 && trail == 0xA1) return void(out += ' ');
  const uint16_t simplified = SimplifiedForm(character);
  out += static_cast<char>(simplified >> 8);
  out += static_cast<char>(simplified & 0xFF);
}

// True for a name character that the initials pass over: blanks, punctuation, characters without a reading.
bool Skipped(uint16_t character) {
  return character < 0x100 ? !IsAsciiAlnum(character) : PinyinInitials(character) == 0;
}

bool MatchesInitial(uint16_t character, char letter) {
  if (character < 0x100) return character == static_cast<unsigned char>(letter);
  return letter >= 'a' && letter <= 'z' && (PinyinInitials(character) & (1u << (letter - 'a'))) != 0;
}

// kInitialsAtStart, kInitialsInside or kNoMatch.
MatchRank RankInitials(const std::string& initials, std::string_view name) {
  bool first = true;
  size_t size = 0;
  for (size_t start = 0; start < name.size(); start += size) {
    if (Skipped(CharacterAt(name, start, size))) continue;
    size_t k = 0, step = 0;
    for (size_t i = start; i < name.size() && k < initials.size(); i += step) {
      const uint16_t character = CharacterAt(name, i, step);
      if (Skipped(character)) continue;
      if (!MatchesInitial(character, initials[k])) break;
      ++k;
    }
    if (k == initials.size()) return first ? kInitialsAtStart : kInitialsInside;
    first = false;
  }
  return kNoMatch;
}

// The first place where `query` occurs in `name` starting and ending on character boundaries; npos for none.
size_t FindOnBoundaries(std::string_view name, std::string_view query) {
  size_t boundary = 0;  // walks the name's character boundaries, never backwards
  for (size_t at = name.find(query); at != std::string_view::npos; at = name.find(query, at + 1)) {
    while (boundary < at) boundary += CharacterSize(name, boundary);
    if (boundary != at) continue;
    size_t end = at;
    while (end < at + query.size()) end += CharacterSize(name, end);
    if (end == at + query.size()) return at;
  }
  return std::string_view::npos;
}

}  // namespace

uint32_t InitialsMask(std::string_view folded) {
  uint32_t mask = 0;
  size_t size = 0;
  for (size_t at = 0; at < folded.size(); at += size) {
    const uint16_t character = CharacterAt(folded, at, size);
    if (character >= 'a' && character <= 'z') mask |= 1u << (character - 'a');
    else if (character >= '0' && character <= '9') mask |= kAnyDigit;
    else if (character >= 0x100) mask |= PinyinInitials(character);
  }
  return mask;
}

std::string CleanQueryText(std::string_view typed) {
  std::string text;
  for (char c : typed) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) text += c;
  }
  const size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  text = text.substr(begin, text.find_last_not_of(' ') - begin + 1);
  // Cut after the last whole character that fits.
  size_t end = 0;
  while (end < text.size() && end + CharacterSize(text, end) <= kMaxQueryBytes) end += CharacterSize(text, end);
  text.resize(end);
  // The cut may leave blanks at the end.
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string FoldSearchText(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  size_t size = 0;
  for (size_t at = 0; at < text.size(); at += size) AppendFolded(CharacterAt(text, at, size), folded);
  return folded;
}

SearchQuery MakeSearchQuery(std::string_view typed) {
  SearchQuery query;
  query.folded = FoldSearchText(CleanQueryText(typed));
  bool letter = false;
  for (char c : query.folded) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ') continue;
    if (!IsAsciiAlnum(byte)) {
      query.initials.clear();
      return query;
    }
    letter = letter || byte >= 'a';
    query.initials += c;
  }
  if (!letter) query.initials.clear();
  query.initialsMask = InitialsMask(query.initials);
  return query;
}

MatchRank RankMatch(const SearchQuery& query, std::string_view name, uint32_t nameMask) {
  if (query.folded.empty()) return kNoMatch;
  MatchRank rank = kNoMatch;
  const size_t at = FindOnBoundaries(name, query.folded);
  if (at == 0) return query.folded.size() == name.size() ? kWholeName : kNameStart;
  if (at != std::string_view::npos) rank = kInsideName;
  if (!query.initials.empty() && (nameMask & query.initialsMask) == query.initialsMask) {
    const MatchRank initials = RankInitials(query.initials, name);
    if (initials != kNoMatch && (rank == kNoMatch || initials < rank)) rank = initials;
  }
  return rank;
}

}  // namespace trr
