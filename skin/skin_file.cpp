#include "skin/skin_file.h"

#include <cstring>

namespace trskin {
namespace {

bool Equals(const char* text, size_t length, const char* word) {
  return std::strlen(word) == length && std::memcmp(text, word, length) == 0;
}

// "r,g,b" with each part 0..255 and nothing else but blanks.
bool ParseColour(const char* text, size_t length, COLORREF& out) {
  int parts[3] = {-1, -1, -1};
  int index = 0;
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c == ' ' || c == '\t') continue;
    if (c == ',') {
      if (parts[index] < 0 || ++index > 2) return false;
      continue;
    }
    if (c < '0' || c > '9') return false;
    int value = (parts[index] < 0 ? 0 : parts[index]) * 10 + (c - '0');
    if (value > 255) return false;
    parts[index] = value;
  }
  if (index != 2 || parts[2] < 0) return false;
  out = RGB(parts[0], parts[1], parts[2]);
  return true;
}

}  // namespace

bool ParseSkinFile(const char* data, size_t size, SkinFile& out) {
  out = SkinFile();
  if (!data || size < sizeof(kSkinMagic) || std::memcmp(data, kSkinMagic, sizeof(kSkinMagic)) != 0) return false;
  size_t pos = 0;
  bool firstLine = true;
  while (pos < size) {
    size_t end = pos;
    while (end < size && data[end] != '\n') ++end;
    size_t lineEnd = end;
    if (lineEnd > pos && data[lineEnd - 1] == '\r') --lineEnd;
    const char* line = data + pos;
    size_t length = lineEnd - pos;
    pos = end + 1;
    if (firstLine) {  // the magic line may carry a version after the magic
      firstLine = false;
      continue;
    }
    if (length == 0 || line[0] == ';') continue;
    const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
    if (!equals) return false;
    size_t nameLength = static_cast<size_t>(equals - line);
    while (nameLength > 0 && (line[nameLength - 1] == ' ' || line[nameLength - 1] == '\t')) --nameLength;
    const char* value = equals + 1;
    size_t valueLength = static_cast<size_t>(line + length - value);
    if (Equals(line, nameLength, "password")) {
      if (valueLength > kMaxPassword) return false;
      std::memcpy(out.password, value, valueLength);
      out.password[valueLength] = 0;
      out.hasPassword = true;
      continue;
    }
    struct Slot {
      const char* name;
      COLORREF* colour;
    } slots[] = {{"caption", &out.colours.caption},       {"captiontext", &out.colours.captionText},
                 {"frame", &out.colours.frame},           {"background", &out.colours.background},
                 {"text", &out.colours.text},             {"bar", &out.colours.bar},
                 {"barbackground", &out.colours.barBackground}};
    for (const Slot& slot : slots) {
      if (Equals(line, nameLength, slot.name) && !ParseColour(value, valueLength, *slot.colour)) return false;
    }
  }
  return true;
}

}  // namespace trskin
