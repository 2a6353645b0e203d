// What the station search knows of each Chinese character of GBK: the letters its pinyin readings start with,
// and the simplified form a traditional character matches. The tables are assets/hanzi_tables.inc, made by
// assets/make_hanzi_tables.py from the Unihan database; they are decoded once, on first use, from any thread.
#pragma once
#include <cstddef>
#include <cstdint>

namespace trr {

// Bit k (0 for 'a' ... 25 for 'z') is set for each letter that starts a reading of the GBK double-byte code
// `code` (lead byte << 8 | trail byte); 0 for a code without a reading or outside GBK's double-byte codes.
uint32_t PinyinInitials(uint16_t code);

// The simplified form that the traditional character `code` matches; `code` itself for every other value.
uint16_t SimplifiedForm(uint16_t code);

// Bytes the decoded tables take, for the search's memory figures.
size_t HanziTableBytes();

}  // namespace trr
