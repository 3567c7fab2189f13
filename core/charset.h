// The 1401 character set: one host text character for each of the 64
// machine codes, and the reverse table for every host byte.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
  // The bytes 0x20-0x5F are all 1401 characters, and with the line end they
  // make up nearly all text: sixteen bytes at a time are passed over when
  // each is one of them (as signed bytes, the others are below 0x20, 0x60
  // and up, or negative).
  using Bytes16 = signed char __attribute__((vector_size(16)));
  std::size_t i = 0;
  while (i < size) {
    if (size - i >= 16) {
      Bytes16 v;
      std::memcpy(&v, text + i, 16);
      const Bytes16 plain = ((v > 0x1F) & (v < 0x60)) | (v == '\n');
      std::uint64_t half[2];
      std::memcpy(half, &plain, 16);
      if ((half[0] & half[1]) == ~std::uint64_t{0}) {
        i += 16;
        continue;
      }
    }
    const std::size_t stop = std::min(size, i + 16);
    for (; i < stop; ++i) {
      const auto b = static_cast<unsigned char>(text[i]);
      if (b - 0x20u < 0x40u || b == '\n') continue;
      if (ASCII_TO_BCD[b] == 0) text[i] = '?';
    }
  }
}

}  // namespace velumar
