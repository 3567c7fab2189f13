#include "core/charset.h"

namespace velumar {

namespace {

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

}  // namespace

const std::array<int, 256> ASCII_TO_BCD = make_ascii_to_bcd();

}  // namespace velumar
