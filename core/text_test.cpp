#include "core/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace velumar {
namespace {

TEST(Text, FixedWidthNumbers) {
  EXPECT_EQ(fmt_int(3, 5), "    3");
  EXPECT_EQ(fmt_int(-30000, 6), "-30000");
  EXPECT_EQ(fmt_int(100000, 5), "*****");
  EXPECT_EQ(fmt_int(-10000, 5), "*****");
  EXPECT_EQ(fmt_int(10, 1), "*");
  EXPECT_EQ(fmt_int_zero(333, 6, 4), "  0333");
  EXPECT_EQ(fmt_int_zero(12345, 6, 4), " 12345");
  EXPECT_EQ(fmt_int_zero(1234567, 6, 4), "******");
  EXPECT_EQ(fmt_int_zero(-5, 6, 4), " -0005");
  EXPECT_EQ(fmt_int(INT64_MIN, 20), "-9223372036854775808");
  std::string line = "X";
  append_int(line, 42, 4);
  append_cols(line, "ABC", 0, 4);
  append_padded(line, "LONG", 2);
  EXPECT_EQ(line, "X  42 ABC LO");
}

TEST(Text, NumbersOfAnyLengthSaturate) {
  EXPECT_EQ(digits_value("0"), 0);
  EXPECT_EQ(digits_value("15999"), 15999);
  EXPECT_EQ(digits_value("99999999999999999999999999"), 999999);
  EXPECT_EQ(digits_value("12A"), 12);
}

TEST(Text, PaddingAndColumns) {
  EXPECT_EQ(pad("AB", 6), "AB    ");
  EXPECT_EQ(pad("ABCDEFGH", 6), "ABCDEF");
  EXPECT_EQ(rtrim("AB  "), "AB");
  EXPECT_EQ(rtrim("   "), "");
  EXPECT_TRUE(is_blank("    "));
  EXPECT_FALSE(is_blank("  x "));
  EXPECT_EQ(col("ABC", 1), 'A');
  EXPECT_EQ(col("ABC", 4), ' ');
  EXPECT_EQ(col("ABC", 0), ' ');
  EXPECT_EQ(cols("ABC", 2, 5), "BC  ");
  // A view holds what the line has of the columns, without the padding.
  EXPECT_EQ(col_view("ABC", 2, 5), "BC");
  EXPECT_EQ(col_view("ABC", 0, 1), "A");
  EXPECT_EQ(col_view("ABC", 4, 6), "");
  EXPECT_EQ(col_view("ABC", 3, 2), "");
}

// Blank runs longer than a word, with one mark anywhere in them.
TEST(Text, BlanksAcrossWords) {
  for (std::size_t n = 0; n <= 20; ++n) {
    EXPECT_TRUE(is_blank(std::string(n, ' ')));
    EXPECT_EQ(rtrim(std::string(n, ' ')), "");
    for (std::size_t at = 0; at < n; ++at) {
      std::string s(n, ' ');
      s[at] = 'x';
      EXPECT_FALSE(is_blank(s)) << n << " " << at;
      EXPECT_EQ(rtrim(s).size(), at + 1) << n << " " << at;
    }
  }
}

// The in-place formatter against the plain rule: sign, zeros up to
// min_digits, digits, right-justified; asterisks when that does not fit.
// Values around the 32-bit and 64-bit limits take both conversions.
TEST(Text, NumbersInPlaceMatchThePlainRule) {
  const std::int64_t values[] = {0,      7,         10,         99,         100,        9999,      -1,
                                 -10000, 999999,    4294967295, 4294967296, -4294967296, INT64_MAX, INT64_MIN};
  for (const std::int64_t v : values) {
    const std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    const std::string digits = std::to_string(magnitude);
    for (int width = 1; width <= 21; ++width) {
      for (int min_digits = 0; min_digits <= 6; ++min_digits) {
        const std::size_t zeros = std::max<std::size_t>(static_cast<std::size_t>(min_digits), digits.size()) - digits.size();
        std::string expected = (v < 0 ? "-" : "") + std::string(zeros, '0') + digits;
        const auto w = static_cast<std::size_t>(width);
        expected = expected.size() > w ? std::string(w, '*') : std::string(w - expected.size(), ' ') + expected;
        std::string line = "<" + std::string(w, '?') + ">";
        put_int(line.data() + 1, v, width, min_digits);
        EXPECT_EQ(line, "<" + expected + ">") << v << " in " << width << " with " << min_digits;
        EXPECT_EQ(fmt_int_zero(v, width, min_digits), expected);
      }
    }
  }
}

}  // namespace
}  // namespace velumar
