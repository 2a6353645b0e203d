// The station search's matching of a typed text against station names, on GBK text, without windows.
//
// Both sides are compared in their folded form (FoldSearchText), character by character: an ASCII byte (letters
// in lower case), a GBK double-byte character (a traditional form as its simplified form, full-width letters and
// digits as ASCII ones), or a stray byte that starts no character. A match therefore never starts or ends
// inside a character. A name matches a query when
//   - the query's characters occur in the name's, one after the other; or
//   - the query is Latin letters and digits (blanks aside) that are the pinyin initials of consecutive
//     characters of the name, where a Chinese character matches by the first letter of any of its readings,
//     a Latin letter or digit stands for itself, and blanks and punctuation in the name are passed over.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trr {

// Most bytes of a query; longer texts are cut on a character boundary.
constexpr size_t kMaxQueryBytes = 64;

// `typed` as the search takes it: control bytes left out, blanks at both ends removed, cut to at most
// kMaxQueryBytes without splitting a double-byte character.
std::string CleanQueryText(std::string_view typed);

// The folded form of the GBK text `text` (see above): as long as the text or shorter, and the text itself when
// it holds no capital, full-width letter or digit, ideographic space or traditional form.
std::string FoldSearchText(std::string_view text);

// The letters that characters of the folded text `folded` can stand for as initials (bit k for the letter 'a'
// + k), and bit kAnyDigit when it has a digit: a name whose mask lacks a letter of a query's initials cannot
// match them, which spares most names the character-by-character test.
constexpr uint32_t kAnyDigit = 1u << 26;
uint32_t InitialsMask(std::string_view folded);

struct SearchQuery {
  std::string folded;    // the cleaned text, folded; empty: the query matches nothing
  std::string initials;  // its letters and digits when it has nothing else but blanks and at least one letter
                         // (lower case); empty otherwise
  uint32_t initialsMask = 0;  // InitialsMask of `initials`
};

// The query of a typed text (cleaned with CleanQueryText).
SearchQuery MakeSearchQuery(std::string_view typed);

// How well a name matches, best first; kNoMatch when it does not.
enum MatchRank : int {
  kNoMatch = -1,
  kWholeName = 0,         // the name is the query
  kNameStart = 1,         // the name starts with the query
  kInitialsAtStart = 2,   // the query is the initials of the name's first characters
  kInsideName = 3,        // the query occurs later in the name
  kInitialsInside = 4,    // the query is the initials of later characters
};

// The best rank of the name whose folded form is `foldedName` and whose InitialsMask is `nameMask` (when it is
// not known, every bit set).
MatchRank RankMatch(const SearchQuery& query, std::string_view foldedName, uint32_t nameMask = ~0u);

}  // namespace trr
