#include "core/location.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace velumar {
namespace {

// The hundreds adjustment rounds up, also below 0, where a remainder that
// truncates toward zero would round a multiple of 100 up by another 100.
TEST(Location, RoundsUpToHundredAndSaturates) {
  struct Case {
    std::int64_t p;
    int rounded;
  };
  const Case cases[] = {{1234, 1300}, {1300, 1300}, {0, 0},          {1, 100},        {-1, 0},
                        {-400, -400}, {-401, -400}, {-60000, -60000}, {-60001, -60000},
                        {kLocationBound, static_cast<int>(kLocationBound)},
                        {std::int64_t{1} << 40, static_cast<int>(kLocationBound)}};
  for (const Case& c : cases) EXPECT_EQ(round_up_to_hundred(c.p), c.rounded) << c.p;
  EXPECT_EQ(clamp_location(std::int64_t{2200} * 999999 + 333), kLocationBound);
  EXPECT_EQ(clamp_location(-(std::int64_t{1} << 40)), -kLocationBound);
  EXPECT_EQ(clamp_location(15999), 15999);
}

}  // namespace
}  // namespace velumar
