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

TEST(NumToAddr, OutOfRangeGivesHashes) {
  for (int num : {-1, 16000, 999999}) EXPECT_EQ(num_to_addr(num), "###") << num;
  EXPECT_EQ(num_to_addr(500, 4), "###");
  EXPECT_EQ(num_to_addr(500, -1), "###");
}

}  // namespace
}  // namespace velumar
