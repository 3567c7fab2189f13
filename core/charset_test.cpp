#include "core/charset.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

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

TEST(Charset, CanonicalFormsAndForeignBytes) {
  for (int code = 0; code < 64; ++code) EXPECT_TRUE(is_canonical(bcd_char(code))) << code;
  const std::pair<int, char> forms[] = {{'|', '\''}, {'}', '"'}, {0xAC, '('}, {0xA4, ')'},
                                        {'q', 'Q'},  {'\t', ' '}, {0x1B, ' '},  {0xFF, ' '}};
  for (const auto& [byte, form] : forms) EXPECT_EQ(as_1401(static_cast<char>(byte)), form) << byte;
  std::string text = "A\x1b[31mB\x07 c~|\xAC\xE9\r\n";
  mask_foreign(text.data(), text.size());
  EXPECT_EQ(text, "A?[31mB? c?|\xAC??\n");
  // Every byte at every offset of a run longer than the eight bytes passed
  // over at once: masked exactly as it would be alone.
  for (int byte = 0; byte < 256; ++byte) {
    for (std::size_t at = 0; at < 40; ++at) {
      std::string run(40, 'A');
      run[at] = static_cast<char>(byte);
      mask_foreign(run.data(), run.size());
      std::string alone(1, static_cast<char>(byte));
      mask_foreign(alone.data(), 1);
      EXPECT_EQ(run, std::string(at, 'A') + alone + std::string(39 - at, 'A')) << byte << " at " << at;
    }
  }
}

}  // namespace
}  // namespace velumar
