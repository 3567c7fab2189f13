#include "core/zone.h"

#include <gtest/gtest.h>

namespace velumar {
namespace {

TEST(NumToAddr, ZonesCarryThousandsAndIndex) {
  const std::pair<int, const char*> plain[] = {{0, "000"},    {999, "999"},  {1000, "'00"}, {2000, "!00"},
                                               {3000, "?00"}, {4000, "00'"}, {8000, "00!"}, {12000, "00?"},
                                               {15999, "I9I"}};
  for (auto [num, addr] : plain) EXPECT_EQ(num_to_addr(num), addr) << num;
  EXPECT_EQ(num_to_addr(100, 1), "1'0");
  EXPECT_EQ(num_to_addr(1234, 2), "SL4");
  EXPECT_EQ(num_to_addr(15999, 3), "III");
}

// Every address with every index register reads back: the digits, the
// thousands from the zones of the outer characters, the index from the middle one.
TEST(NumToAddr, EveryAddressReadsBack) {
  for (int index = 0; index <= 3; ++index) {
    for (int num = 0; num <= 15999; ++num) {
      char a[3];
      put_addr(a, num, index);
      std::size_t k[3];
      for (int i = 0; i < 3; ++i) k[i] = ZONED.find(a[i]);
      ASSERT_TRUE(k[0] != std::string_view::npos && k[1] != std::string_view::npos && k[2] != std::string_view::npos);
      const auto back = static_cast<int>((k[0] / 10 + 4 * (k[2] / 10)) * 1000 + k[0] % 10 * 100 + k[1] % 10 * 10 + k[2] % 10);
      ASSERT_EQ(back, num) << index;
      ASSERT_EQ(static_cast<int>(k[1] / 10), index) << num;
    }
  }
}

TEST(NumToAddr, OutOfRangeGivesHashes) {
  for (int num : {-1, 16000, 999999}) EXPECT_EQ(num_to_addr(num), "###") << num;
  EXPECT_EQ(num_to_addr(500, 4), "###");
  EXPECT_EQ(num_to_addr(500, -1), "###");
}

}  // namespace
}  // namespace velumar
