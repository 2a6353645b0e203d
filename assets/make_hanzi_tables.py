#!/usr/bin/python3
"""Makes assets/hanzi_tables.inc, the station search's tables of Chinese characters, from the Unihan files of
Debian's unicode-data package (tools/setup.sh installs it):

    /usr/bin/python3 assets/make_hanzi_tables.py           writes the file
    /usr/bin/python3 assets/make_hanzi_tables.py --check   exits 1 when the file is not what it would write

Two tables, both over the double-byte codes of GBK (code page 936), the encoding the player keeps its texts in:
- the pinyin initials of every character: each letter that starts one of its readings in kMandarin,
  kHanyuPinyin, kXHC1983 or kTGHZ2013 (kMandarin alone names one reading; the others list every reading), with
  zh, ch and sh counted as z, c and s;
- traditional forms and the simplified form they match (kSimplifiedVariant, completed from
  kTraditionalVariant), where both forms are GBK characters. A character that is its own simplified form too
  (乾 is, beside 干) is left alone, and a chain of forms goes to its last one.

The output is ASCII only, so that every compiler reads it the same way.
"""
import bz2
import os
import re
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "hanzi_tables.inc")
UNIHAN = "/usr/share/unicode"
READING_FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013")
LINE = 100  # characters of table text per source line


def unihan_lines(name):
    """(code point, field, value) of every data line, and the Unicode version from the header."""
    path = os.path.join(UNIHAN, name + ".txt.bz2")
    version = None
    rows = []
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                m = re.match(r"# Unicode version: (\S+)", line)
                if m:
                    version = m.group(1)
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[0].startswith("U+"):
                rows.append((int(parts[0][2:], 16), parts[1], parts[2]))
    return version, rows


def readings_of(field, value):
    """The pinyin syllables a reading field gives."""
    if field == "kMandarin":
        return value.split()
    syllables = []
    for entry in value.split():
        # kHanyuPinyin "10028.100:zhōng,zhòng", kXHC1983 "1108.040,1108.071:tái", kTGHZ2013 "480.020:zhōng"
        syllables += entry.split(":", 1)[-1].split(",")
    return syllables


def initial_of(syllable):
    """The letter a syllable starts with, its tone marks taken off; None when it starts with no letter."""
    base = unicodedata.normalize("NFKD", syllable)
    for c in base:
        if unicodedata.combining(c):
            continue
        c = c.lower()
        return c if "a" <= c <= "z" else None
    return None


def gbk_codes():
    """Every GBK double-byte code in code order, with its character or None when it holds none."""
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            if trail == 0x7F:
                continue
            try:
                char = bytes([lead, trail]).decode("gbk")
            except UnicodeDecodeError:
                char = None
            yield (lead << 8) | trail, char


def make():
    version, readings = unihan_lines("Unihan_Readings")
    variants_version, variants = unihan_lines("Unihan_Variants")
    initials = {}
    for code, field, value in readings:
        if field in READING_FIELDS:
            for syllable in readings_of(field, value):
                letter = initial_of(syllable)
                if letter:
                    initials.setdefault(code, set()).add(letter)

    codes = list(gbk_codes())
    gbk_of = {ord(char): code for code, char in codes if char is not None and len(char) == 1}

    simplified = {}    # code point -> its simplified forms, as listed
    traditional = {}   # code point -> its traditional forms, as listed
    for code, field, value in variants:
        forms = [int(v[2:].split("<")[0], 16) for v in value.split() if v.startswith("U+")]
        if field == "kSimplifiedVariant":
            simplified[code] = forms
        elif field == "kTraditionalVariant":
            traditional[code] = forms
    # A simplified character names its traditional forms; a traditional form that names no simplified form of
    # its own matches that character.
    for code, forms in sorted(traditional.items()):
        for form in forms:
            if form != code and form not in simplified:
                simplified[form] = [code]

    def target(code):
        forms = simplified.get(code, [])
        if not forms or code in forms:
            return None
        for form in forms:
            if form in gbk_of:
                return form
        return None

    folds = []
    for code, char in codes:
        if char is None or len(char) != 1:
            continue
        point = ord(char)
        seen = {point}
        form = target(point)
        while form is not None and target(form) is not None and target(form) not in seen:
            seen.add(form)
            form = target(form)
        if form is not None and form != point:
            folds.append((code, gbk_of[form]))

    entries = []
    for code, char in codes:
        letters = sorted(initials.get(ord(char), ())) if char is not None and len(char) == 1 else []
        if not letters:
            entries.append(".")
        elif len(letters) == 1:
            entries.append(letters[0])
        else:
            entries.append("(" + "".join(letters) + ")")

    out = []
    out.append("// Made by assets/make_hanzi_tables.py from Unihan %s (Debian's unicode-data): do not edit." % version)
    out.append("// kHanziInitials: one entry per GBK double-byte code (lead 0x81..0xFE, trail 0x40..0xFE without")
    out.append("// 0x7F), in code order: the one letter its readings start with, several letters in brackets, or")
    out.append("// '.' for none.")
    out.append("static const char kHanziInitials[] =")
    out += wrap("".join(entries))
    out.append("// kHanziSimplified: pairs of GBK codes in hexadecimal, four digits each: a traditional form, then the")
    out.append("// simplified form it matches; in order of the first code (%s pairs, Unihan variants %s)."
               % (len(folds), variants_version))
    out.append("static const char kHanziSimplified[] =")
    out += wrap("".join("%04X%04X" % pair for pair in folds))
    return "\n".join(out) + "\n"


def wrap(text):
    lines = ['    "%s"' % text[i:i + LINE] for i in range(0, len(text), LINE)]
    lines[-1] += ";"
    return lines


def main():
    text = make()
    if "--check" in sys.argv[1:]:
        with open(OUTPUT, encoding="ascii") as f:
            if f.read() != text:
                print("assets/hanzi_tables.inc is not what assets/make_hanzi_tables.py makes: run the script",
                      file=sys.stderr)
                return 1
        return 0
    with open(OUTPUT, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
