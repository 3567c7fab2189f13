// The 1401 character set: one host text character for each of the 64
// machine codes, and the reverse table for every host byte.
#pragma once

#include <array>
#include <string_view>

namespace velumar {

/// Host character of machine code k is BCD_TO_ASCII[k].
constexpr std::string_view BCD_TO_ASCII =
    " 1234567890#@:>(^/STUVWXYZ',%=\\+-JKLMNOPQR!$*];_&ABCDEFGHI?.)[<\"";

constexpr int RecordMark = 26;
constexpr int GroupMark = 63;

constexpr std::array<int, 256> make_ascii_to_bcd() {
  std::array<int, 256> table{};  // every byte not set below stands for the blank (0)
  for (int code = 0; code < 64; ++code)
    table[static_cast<unsigned char>(BCD_TO_ASCII[static_cast<std::size_t>(code)])] = code;
  // Lower-case letters read as their capitals, for text that bypasses the reader.
  for (char c = 'a'; c <= 'z'; ++c) table[static_cast<unsigned char>(c)] = table[static_cast<unsigned char>(c - 'a' + 'A')];
  // Second host forms: Latin-1 not sign and currency sign, and the glyphs some
  // sites use for the record mark and the group mark.
  table[172] = 15;
  table[164] = 60;
  table[static_cast<unsigned char>('|')] = RecordMark;
  table[static_cast<unsigned char>('}')] = GroupMark;
  return table;
}

/// Machine code (0..63) of every host byte 0..255; unlisted bytes give 0
/// (blank). A constant, so that other tables can be built from it at compile time.
inline constexpr std::array<int, 256> ASCII_TO_BCD = make_ascii_to_bcd();

/// Machine code of host character `c` (looked up as unsigned char).
inline int bcd_code(char c) { return ASCII_TO_BCD[static_cast<unsigned char>(c)]; }

inline bool is_record_mark(char c) { return bcd_code(c) == RecordMark; }
inline bool is_group_mark(char c) { return bcd_code(c) == GroupMark; }

/// Primary host character of machine code `code` (0..63).
inline char bcd_char(int code) { return BCD_TO_ASCII[static_cast<std::size_t>(code & 63)]; }

/// The canonical host form of every host byte: the character of the code
/// table for each of the 64 characters in any form accepted for it (a
/// second form, a lower-case letter), a blank for a byte that no 1401
/// character stands for. The simulator reads only these forms back as
/// the characters they stand for.
inline constexpr std::array<char, 256> CANONICAL = [] {
  std::array<char, 256> table{};
  for (std::size_t b = 0; b < 256; ++b) table[b] = BCD_TO_ASCII[static_cast<std::size_t>(ASCII_TO_BCD[b])];
  return table;
}();

/// The canonical form of `c`; a blank when no 1401 character stands for
/// it: what goes into storage is always one of the 64 characters.
inline char as_1401(char c) { return CANONICAL[static_cast<unsigned char>(c)]; }

/// True when `c` is a blank or one of the 64 characters in its canonical form.
inline bool is_canonical(char c) { return as_1401(c) == c; }

/// Puts a "?" in place of every byte of `text` but the line end that no
/// 1401 character stands for (a control byte, a byte of another character
/// set), so that text printed for people never carries one from a card and
/// still shows where it was.
inline void mask_foreign(char* text, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    // The bytes 0x20-0x5F are all 1401 characters: most text is only those.
    if (b - 0x20u < 0x40u || b == '\n') continue;
    if (ASCII_TO_BCD[b] == 0) text[i] = '?';
  }
}

}  // namespace velumar
