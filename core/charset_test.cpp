#include "core/charset.h"

#include <gtest/gtest.h>

namespace velumar {
namespace {

TEST(Charset, PrimaryAndSecondHostForms) {
  for (int code = 0; code < 64; ++code) EXPECT_EQ(bcd_code(bcd_char(code)), code) << code;
  EXPECT_EQ(bcd_code('0'), 10);
  EXPECT_TRUE(is_record_mark('\'') && is_record_mark('|'));
  EXPECT_TRUE(is_group_mark('"') && is_group_mark('}'));
  EXPECT_EQ(bcd_code(static_cast<char>(172)), 15);  // a negative char still finds its entry
  EXPECT_EQ(bcd_code(static_cast<char>(164)), 60);
  EXPECT_EQ(bcd_code('a'), 49);
  EXPECT_EQ(bcd_code('s'), 18);
}

TEST(Charset, UnlistedBytesAreBlank) {
  for (int c : {int{'\t'}, int{'~'}, int{'{'}, int{'\r'}, 200, 255}) EXPECT_EQ(bcd_code(static_cast<char>(c)), 0) << c;
}

}  // namespace
}  // namespace velumar
