// Fixed-width text helpers shared by every module: the assembler keeps its
// text in blank-padded fields and prints numbers in fixed columns.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

namespace velumar {

/// The first `width` characters of `text` (at most 8), blank padded, packed
/// into one number, first character highest: a fixed-width name that is
/// cheap to hash and compare.
constexpr std::uint64_t packed_key(std::string_view text, std::size_t width) {
  // Every card looks up its operation and its names: when the text holds
  // all `width` characters they are read with one load.
  if (!std::is_constant_evaluated() && std::endian::native == std::endian::little && width >= 1 && width <= 8 &&
      text.size() >= width) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data(), width);
    return __builtin_bswap64(word) >> (64 - 8 * width);
  }
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < width; ++i) key = key << 8 | static_cast<unsigned char>(i < text.size() ? text[i] : ' ');
  return key;
}

/// `s` cut or blank-padded on the right to exactly `width` characters.
std::string pad(std::string_view s, std::size_t width);

/// `s` without trailing blanks.
inline std::string_view rtrim(std::string_view s) {
  std::size_t n = s.size();
  // Eight blanks at a time first: lines and cards often end in many.
  while (n >= 8 && std::memcmp(s.data() + n - 8, "        ", 8) == 0) n -= 8;
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

/// True when `s` holds only blanks (or is empty).
inline bool is_blank(std::string_view s) {
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8)  // eight at a time: fields of a card
    if (std::memcmp(s.data() + i, "        ", 8) != 0) return false;
  for (; i < s.size(); ++i)
    if (s[i] != ' ') return false;
  return true;
}

/// `value` right-justified in `width` columns; a value that does not fit
/// (too many digits, or a minus sign that leaves no room) prints as `width`
/// asterisks, the way a line printer's formatted field shows an overflow.
std::string fmt_int(std::int64_t value, int width);

/// `value` right-justified in `width` columns with leading zeros up to at
/// least `min_digits` digits (0333 for 333 with 4); asterisks when it does
/// not fit.
std::string fmt_int_zero(std::int64_t value, int width, int min_digits);

/// Converts a string of decimal digits of any length. Values beyond
/// `kSaturate` saturate there, so range checks further on reject them
/// instead of seeing a wrapped-around number.
constexpr std::int64_t kSaturate = 999999;
int digits_value(std::string_view digits);

/// 1-based column access to a card image: the character in column `col`,
/// or a blank when the column lies outside the text.
inline char col(std::string_view line, int c) {
  return (c >= 1 && static_cast<std::size_t>(c) <= line.size()) ? line[static_cast<std::size_t>(c - 1)] : ' ';
}

/// Columns `from`..`to` (1-based, inclusive) of `line`, blank-padded when
/// the line is shorter.
std::string cols(std::string_view line, int from, int to);

/// Columns `from`..`to` of `line` as a view into it, without a copy: what
/// `cols` gives when the line holds those columns (a card holds all 80);
/// the columns beyond the line's end are left out.
inline std::string_view col_view(std::string_view line, int from, int to) {
  const std::size_t first = from > 1 ? static_cast<std::size_t>(from - 1) : 0;
  if (to < from || first >= line.size()) return {};
  const std::size_t last = std::min(static_cast<std::size_t>(to), line.size());
  return line.substr(first, last - first);
}

// The same fields appended to `out`: the writers build each line in one
// buffer that they keep from line to line, so no line costs an allocation.

/// Appends columns `from`..`to` of `line`, as `cols` gives them.
void append_cols(std::string& out, std::string_view line, int from, int to);
/// Writes the columns of `from`..`to` that `line` holds over `dst`, which
/// holds to - from + 1 blanks (the columns beyond the line stay blank).
void put_cols_clipped(char* dst, std::string_view line, int from, int to);
/// The same, with the common case inline: a card holds every column asked
/// for, and constant columns become a copy of known size.
inline void put_cols(char* dst, std::string_view line, int from, int to) {
  if (from >= 1 && from <= to && static_cast<std::size_t>(to) <= line.size())
    std::memcpy(dst, line.data() + (from - 1), static_cast<std::size_t>(to - from + 1));
  else
    put_cols_clipped(dst, line, from, to);
}
/// Appends `s` cut or blank-padded to `width`, as `pad` gives it.
void append_padded(std::string& out, std::string_view s, std::size_t width);
/// Appends `value` as `fmt_int` gives it.
void append_int(std::string& out, std::int64_t value, int width);
/// Appends `value` as `fmt_int_zero` gives it.
void append_int_zero(std::string& out, std::int64_t value, int width, int min_digits);
namespace text_detail {
// "00" to "99": two digits for each division.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
inline constexpr std::uint32_t kPowersOf10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
/// put_int for every value and width of 1 or more: signs, asterisks.
void put_any_number(char* dst, std::int64_t value, std::size_t width, int min_digits);
}  // namespace text_detail

/// Writes `value` as `fmt_int_zero` gives it over the `width` characters at
/// `dst` (min_digits 0: as `fmt_int` gives it); for lines built in place.
/// Inline for the common case, a count, address or sequence number that
/// fits its field: with the constant width and digits of a call the blanks
/// and zeros are a store or two, and only the digits take divisions.
inline void put_int(char* dst, std::int64_t value, int width, int min_digits = 0) {
  if (width <= 0) return;
  const auto w = static_cast<std::size_t>(width);
  const auto zeros = static_cast<std::size_t>(std::max(min_digits, 0));
  if (value < 0 || w >= std::size(text_detail::kPowersOf10) || value >= text_detail::kPowersOf10[w] || zeros > w) {
    text_detail::put_any_number(dst, value, w, min_digits);
    return;
  }
  std::memset(dst, ' ', w - zeros);
  std::memset(dst + (w - zeros), '0', zeros);
  auto v = static_cast<std::uint32_t>(value);
  char* p = dst + w;
  while (v >= 100) {
    const std::size_t pair = static_cast<std::size_t>(v % 100) * 2;
    v /= 100;
    p -= 2;
    p[0] = text_detail::kDigitPairs[pair];
    p[1] = text_detail::kDigitPairs[pair + 1];
  }
  if (v >= 10) {
    p[-2] = text_detail::kDigitPairs[v * 2];
    p[-1] = text_detail::kDigitPairs[v * 2 + 1];
  } else {
    p[-1] = static_cast<char>('0' + v);
  }
}

}  // namespace velumar
