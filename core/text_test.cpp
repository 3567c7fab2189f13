#include "core/text.h"

#include <gtest/gtest.h>

#include <cstdint>

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
}

}  // namespace
}  // namespace velumar
