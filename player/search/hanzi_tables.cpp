#include "player/search/hanzi_tables.h"

#include <cstddef>
#include <memory>

namespace trr {
namespace {

#include "assets/hanzi_tables.inc"

constexpr int kLeadFirst = 0x81, kLeadLast = 0xFE, kTrailFirst = 0x40, kTrailLast = 0xFE;
constexpr size_t kTrailCount = kTrailLast - kTrailFirst;  // 0x7F is no trail byte
constexpr size_t kCodeCount = (kLeadLast - kLeadFirst + 1) * kTrailCount;

// The table position of a GBK double-byte code; kCodeCount for anything else.
size_t Position(uint16_t code) {
  const int lead = code >> 8, trail = code & 0xFF;
  if (lead < kLeadFirst || lead > kLeadLast || trail < kTrailFirst || trail > kTrailLast || trail == 0x7F)
    return kCodeCount;
  return (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst) - (trail > 0x7F ? 1 : 0);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

uint16_t HexCode(const char* text) {
  return static_cast<uint16_t>(HexDigit(text[0]) << 12 | HexDigit(text[1]) << 8 | HexDigit(text[2]) << 4 |
                               HexDigit(text[3]));
}

struct Tables {
  uint32_t initials[kCodeCount] = {};
  uint16_t simplified[kCodeCount] = {};

  Tables() {
    // One entry per code: a letter, letters in brackets, or '.'.
    size_t position = 0;
    for (const char* p = kHanziInitials; *p && position < kCodeCount; ++p, ++position) {
      if (*p == '(') {
        for (++p; *p && *p != ')'; ++p) initials[position] |= LetterBit(*p);
        if (!*p) break;
      } else {
        initials[position] = LetterBit(*p);
      }
    }
    // Pairs of four hexadecimal digits each: a traditional form, then its simplified form.
    const size_t length = sizeof(kHanziSimplified) - 1;
    for (size_t i = 0; i + 8 <= length; i += 8) {
      const size_t from = Position(HexCode(kHanziSimplified + i));
      if (from < kCodeCount) simplified[from] = HexCode(kHanziSimplified + i + 4);
    }
  }

  static uint32_t LetterBit(char c) { return c >= 'a' && c <= 'z' ? 1u << (c - 'a') : 0; }
};

const Tables& TheTables() {
  // Made once, on whichever thread asks first (the index is built on a worker).
  static const std::unique_ptr<const Tables> tables = std::make_unique<const Tables>();
  return *tables;
}

}  // namespace

uint32_t PinyinInitials(uint16_t code) {
  const size_t position = Position(code);
  return position < kCodeCount ? TheTables().initials[position] : 0;
}

uint16_t SimplifiedForm(uint16_t code) {
  const size_t position = Position(code);
  if (position >= kCodeCount) return code;
  const uint16_t form = TheTables().simplified[position];
  return form ? form : code;
}

size_t HanziTableBytes() { return sizeof(Tables); }

}  // namespace trr
