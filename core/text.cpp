#include "core/text.h"

#include <algorithm>

namespace velumar {

std::string pad(std::string_view s, std::size_t width) {
  std::string out(s.substr(0, std::min(s.size(), width)));
  out.resize(width, ' ');
  return out;
}

std::string_view rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

bool is_blank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

std::string fmt_int(std::int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

std::string fmt_int_zero(std::int64_t value, int width, int min_digits) {
  bool neg = value < 0;
  std::string digits = std::to_string(neg ? -value : value);
  if (static_cast<int>(digits.size()) < min_digits)
    digits.insert(0, static_cast<std::size_t>(min_digits) - digits.size(), '0');
  if (neg) digits.insert(0, 1, '-');
  if (static_cast<int>(digits.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
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
  std::string out;
  for (int c = from; c <= to; ++c) out.push_back(col(line, c));
  return out;
}

}  // namespace velumar
