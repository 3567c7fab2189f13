// What pass 3 places in storage, seen on the deck and the tape: the
// location counter, the read-area flag and marks that wait in the queue.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/text.h"
#include "driver/context.h"
#include "pass3/pass3.h"
#include "pass3/test_support.h"

namespace velumar {
namespace {

using p3test::lines_of;
using Lines = std::vector<std::string>;

struct Storage : ::testing::Test {
  std::ostringstream out, obj, tape;
  Context ctx{out};
  Record rec;
  void SetUp() override {
    ctx.object = &obj;
    ctx.tape = &tape;
    rec.operands = {Operand{.value = 333, .kind = K_ACTUAL}};
  }
};

TEST_F(Storage, ClearFollowsOnFromPEvenAtAnExplicitLocation) {
  Pass3 p(ctx.job(), false, true, false);
  p.P = 800;
  p.IxLab = -900;
  p.clear(45, ' ');
  p.rec = &rec;
  p.transfer_end();
  EXPECT_EQ(p.P, 800);
  const Lines cards = lines_of(obj.str());
  ASSERT_EQ(cards.size(), 3u);
  EXPECT_EQ(cards[0].substr(39, 32), "L039838)800800,040040,0400401040");
  EXPECT_EQ(cards[1].substr(39, 32), "L006844)839839,040040,0400401040");
}

TEST_F(Storage, ReadAreaIsFlaggedWithOrWithoutADeck) {
  ctx.settings.NotIn_1_80 = true;
  Pass3 p(ctx.job(), false, false, false);
  const auto flagged = [&](auto place) {
    ctx.diag.error_code = err::NoErr;
    place();
    return ctx.diag.error_code == err::AddrErr;
  };
  EXPECT_TRUE(flagged([&] { p.dc("AB", 'W', 71, 0); }));
  EXPECT_TRUE(flagged([&] { p.dc("ABCDE", 'W', 4, 0); }));  // starts at 0, reaches into 1-80
  EXPECT_FALSE(flagged([&] { p.dc("A", 'W', 0, 0); }));
  EXPECT_FALSE(flagged([&] { p.dc("A", 'W', 81, 0); }));
  EXPECT_TRUE(flagged([&] { p.sw(80); }));
  ctx.settings.NotIn_1_80 = false;
  EXPECT_FALSE(flagged([&] { p.dc("AB", 'W', 71, 0); }));
  EXPECT_EQ(p.P, 344);
}

TEST_F(Storage, QueuedWordMarksReachTheTapeWhenTheDeckSetsThem) {
  ctx.settings.Extra = extra::Extra_SWQ;
  Pass3 p(ctx.job(), false, true, true);
  p.rec = &rec;
  for (int a = 400; a <= 407; ++a) p.dc("B", 'W', a, 0);
  p.transfer_end();  // the data record cleared 407's mark, END's drain sets it again
  const Lines all = lines_of(tape.str());
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[all.size() - 3].substr(6, 20), "=L035407=)407=B007=B");
  EXPECT_EQ(all[all.size() - 2].substr(6, 11), "=,407=B007=");
}

}  // namespace
}  // namespace velumar
