#include "core/text.h"

#include <algorithm>
#include <cstring>

namespace velumar {

namespace {

// Writes the digits of `magnitude` leftwards from `end`, but not before
// `begin`; returns where they start, or null when they do not fit.
template <typename Unsigned>
char* digits_leftwards(char* begin, char* end, Unsigned magnitude) {
  char* p = end;
  while (magnitude >= 100) {
    if (p - begin < 2) return nullptr;
    const auto pair = static_cast<std::size_t>(magnitude % 100) * 2;
    magnitude /= 100;
    *--p = text_detail::kDigitPairs[pair + 1];
    *--p = text_detail::kDigitPairs[pair];
  }
  if (magnitude >= 10) {
    if (p - begin < 2) return nullptr;
    const auto pair = static_cast<std::size_t>(magnitude) * 2;
    *--p = text_detail::kDigitPairs[pair + 1];
    *--p = text_detail::kDigitPairs[pair];
  } else {
    if (p == begin) return nullptr;
    *--p = static_cast<char>('0' + magnitude);
  }
  return p;
}

}  // namespace

// `value` with at least `min_digits` digits (leading zeros) right-justified
// in the `width` (1 or more) characters at `dst`, or asterisks when it does
// not fit. The field is filled from the right; what does not fit is found
// on the way and then overwritten.
void text_detail::put_any_number(char* dst, std::int64_t value, std::size_t width, int min_digits) {
  const bool neg = value < 0;
  // Through unsigned arithmetic, so that the most negative value has a magnitude too.
  const std::uint64_t magnitude = neg ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  char* const end = dst + width;
  // Most numbers are small: 32-bit division is the cheaper one.
  char* p = magnitude <= UINT32_MAX ? digits_leftwards(dst, end, static_cast<std::uint32_t>(magnitude))
                                    : digits_leftwards(dst, end, magnitude);
  if (p != nullptr && min_digits > 0) {
    const auto min = static_cast<std::size_t>(min_digits);
    while (static_cast<std::size_t>(end - p) < min && p > dst) *--p = '0';
    if (static_cast<std::size_t>(end - p) < min) p = nullptr;
  }
  if (p != nullptr && neg) {
    if (p > dst)
      *--p = '-';
    else
      p = nullptr;
  }
  if (p == nullptr) {
    for (std::size_t i = 0; i < width; ++i) dst[i] = '*';
    return;
  }
  while (p > dst) *--p = ' ';
}

namespace {

// The same field appended to `out`.
void append_number(std::string& out, std::int64_t value, int width, int min_digits) {
  if (width <= 0) return;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(width));
  put_int(out.data() + at, value, width, min_digits);
}

}  // namespace

std::string pad(std::string_view s, std::size_t width) {
  std::string out(width, ' ');
  std::memcpy(out.data(), s.data(), std::min(s.size(), width));
  return out;
}

std::string fmt_int(std::int64_t value, int width) {
  std::string out;
  append_number(out, value, width, 0);
  return out;
}

std::string fmt_int_zero(std::int64_t value, int width, int min_digits) {
  std::string out;
  append_number(out, value, width, min_digits);
  return out;
}

int digits_value(std::string_view digits) {
  std::int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    v = v * 10 + (c - '0');
    if (v > kSaturate) return static_cast<int>(kSaturate);
  }
  return static_cast<int>(v);
}

std::string cols(std::string_view line, int from, int to) {
  if (to < from) return std::string();
  std::string out(static_cast<std::size_t>(to) - static_cast<std::size_t>(from) + 1, ' ');
  put_cols(out.data(), line, from, to);
  return out;
}

void append_cols(std::string& out, std::string_view line, int from, int to) {
  if (to < from) return;
  const std::size_t start = out.size();
  out.append(static_cast<std::size_t>(to) - static_cast<std::size_t>(from) + 1, ' ');
  put_cols(out.data() + start, line, from, to);
}

void put_cols_clipped(char* dst, std::string_view line, int from, int to) {
  const long long first = std::max(from, 1);
  const long long last = std::min<long long>(to, static_cast<long long>(line.size()));
  if (first <= last)
    std::memcpy(dst + (first - from), line.data() + (first - 1), static_cast<std::size_t>(last - first + 1));
}

void append_padded(std::string& out, std::string_view s, std::size_t width) {
  const std::size_t n = std::min(s.size(), width);
  out.append(s.data(), n);
  out.append(width - n, ' ');
}

void append_int(std::string& out, std::int64_t value, int width) { append_number(out, value, width, 0); }

void append_int_zero(std::string& out, std::int64_t value, int width, int min_digits) {
  append_number(out, value, width, min_digits);
}


}  // namespace velumar
