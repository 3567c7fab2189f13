#include "tables/literals.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "ir/record_test_support.h"

namespace velumar {
namespace {

struct LiteralsTest : ::testing::Test {
  std::ostringstream out;
  Context ctx{out};
  LiteralTable& lits = ctx.literals;
  bool twice(LiteralKind kind, int width, const std::string& text) {
    int first = lits.create_lit(kind, width, text);
    return lits.create_lit(kind, width, text) == first;
  }
};

TEST_F(LiteralsTest, SharingLimitsWidthsPoolsAndLongOption) {
  EXPECT_TRUE(twice(LiteralKind::CharLit, 4, "ABCD"));
  EXPECT_FALSE(twice(LiteralKind::CharLit, 5, "ABCDE"));
  EXPECT_TRUE(twice(LiteralKind::NumLit, 6, "&123456"));
  EXPECT_FALSE(twice(LiteralKind::NumLit, 7, "&1234567"));
  int ab = lits.create_lit(LiteralKind::CharLit, 2, "AB");
  EXPECT_NE(lits.create_lit(LiteralKind::CharLit, 4, "AB  "), ab);  // same padded text, other width
  int c = lits.create_lit(LiteralKind::CharLit, 3, "-12");
  EXPECT_EQ(lits.create_lit(LiteralKind::NumLit, 3, "-12"), c);  // kind is not compared
  EXPECT_EQ(lits[c].kind, LiteralKind::CharLit);
  lits.set_last_pool_start(lits.count() + 1);  // a pool placed everything so far
  EXPECT_GT(lits.create_lit(LiteralKind::CharLit, 2, "AB"), ab);

  lits.set_long_literals(true);
  EXPECT_TRUE(twice(LiteralKind::CharLit, 5, "VWXYZ"));
  EXPECT_TRUE(twice(LiteralKind::NumLit, 7, "-7654321"));
  EXPECT_TRUE(twice(LiteralKind::CharLit, 52, std::string(52, 'P')));
  EXPECT_FALSE(twice(LiteralKind::CharLit, 53, std::string(53, 'Q')));
}

TEST_F(LiteralsTest, AddressConstantsAndAreasShareOnlyWithTheirOwnKind) {
  // @&AB@ and &AB: equal text, both 3 characters wide.
  int chars = lits.create_lit(LiteralKind::CharLit, 3, "&AB");
  int addr = lits.create_lit(LiteralKind::AddrCon, 3, "&AB", 0, ' ', "AB");
  EXPECT_NE(addr, chars);
  EXPECT_EQ(lits.create_lit(LiteralKind::CharLit, 3, "&AB"), chars);
  int area = lits.create_lit(LiteralKind::AreaDef, 3, "BUF   ");
  EXPECT_NE(lits.create_lit(LiteralKind::CharLit, 3, "BUF"), area);
  EXPECT_EQ(ctx.diag.errors_in_job(), 0);
  // Address constants share when text and symbol agree.
  int a = lits.create_lit(LiteralKind::AddrCon, 3, "&NAME&5&X1", 5, '1', "NAME");
  EXPECT_EQ(lits.create_lit(LiteralKind::AddrCon, 3, "&NAME&5&X1", 5, '1', "NAME"), a);
  EXPECT_NE(lits.create_lit(LiteralKind::AddrCon, 3, "&NAME&5&X1", 5, '1', "NAMEQ"), a);
  EXPECT_EQ(lits[a].symbol, "NAME  ");
  EXPECT_EQ(lits[a].offset, 5);
  EXPECT_EQ(lits[a].index_reg, '1');
}

TEST_F(LiteralsTest, AddressOfLiteralSharesByTextOnly) {
  // As the parser does: the target, then the address literal that names it.
  int target = lits.create_lit(LiteralKind::CharLit, 3, "XYZ");
  int adcon = lits.create_lit(LiteralKind::AdconLit, 3, "&@XYZ@");
  lits[adcon].target = target;
  EXPECT_EQ(lits.create_lit(LiteralKind::AdconLit, 3, "&@XYZ@"), adcon);
  EXPECT_NE(lits.create_lit(LiteralKind::AdconLit, 3, "-@XYZ@"), adcon);
  EXPECT_NE(lits.create_lit(LiteralKind::CharLit, target, "&@XYZ@"), adcon);
  // Texts are kept and compared whole, past the 52nd character too.
  std::string a = "&@" + std::string(55, 'K') + "A@";
  int ia = lits.create_lit(LiteralKind::AdconLit, 3, a);
  EXPECT_EQ(lits[ia].text, a);
  a[57] = 'B';
  EXPECT_NE(lits.create_lit(LiteralKind::AdconLit, 3, a), ia);
}

TEST_F(LiteralsTest, RepeatedAreaIsAnErrorAndReturnsTheEarlierRecord) {
  ctx.traces.letters = "C";
  ctx.historic.route_to(ErrorDest::Scratch);
  // Area names come as the 6-character name field.
  int first = lits.create_lit(LiteralKind::AreaDef, 20, "WORK  ");
  EXPECT_EQ(lits.create_lit(LiteralKind::AreaDef, 10, "WORK  "), first);
  int chars = lits.create_lit(LiteralKind::CharLit, 3, "TMP");
  EXPECT_EQ(lits.create_lit(LiteralKind::AreaDef, 3, "TMP   "), chars);  // any literal of the pool counts
  EXPECT_EQ(lits.count(), 2);
  EXPECT_EQ(ctx.diag.errors_in_job(), 2);
  // The trace line of a repeat is ended after the message, with nothing added.
  EXPECT_EQ(out.str(),
            "Literal WORK new\n"
            "Literal WORK    0: WORK   Previously defined area-defining literal WORK\n\n"
            "Literal TMP new\n"
            "Literal TMP    0: TMP    Previously defined area-defining literal TMP\n\n");
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(rtrim(recs[0].card), "******* WORK   Previously defined area-defining literal WORK");
  lits.set_last_pool_start(lits.count() + 1);
  EXPECT_EQ(lits.create_lit(LiteralKind::AreaDef, 20, "WORK  "), 3);
  EXPECT_EQ(ctx.diag.errors_in_job(), 2);
}

TEST_F(LiteralsTest, TraceAndGrowth) {
  ctx.traces.letters = "C";
  lits.create_lit(LiteralKind::CharLit, 2, "HI  ");
  lits.create_lit(LiteralKind::CharLit, 2, "HI");
  EXPECT_EQ(out.str(), "Literal HI new\nLiteral HI found\n");
  ctx.traces.letters = "";
  for (int i = 2; i <= 101; ++i) ASSERT_EQ(lits.create_lit(LiteralKind::NumLit, 7, "&" + std::to_string(1000000 + i)), i);
  EXPECT_EQ(lits.capacity(), 200);
  EXPECT_EQ(lits[1].text, "HI  ");
  EXPECT_EQ(lits[101].text, "&1000101");
  lits.init_lit_table();
  EXPECT_EQ(lits.count(), 0);
  EXPECT_EQ(lits.last_pool_start(), 1);
  EXPECT_EQ(lits.capacity(), 100);
}

// The text index must find exactly the literal that a scan of the pool in
// table order finds, over mixed kinds, widths, padded texts, address
// constants of different symbols, repeated areas and pool boundaries.
TEST_F(LiteralsTest, IndexAgreesWithAScanOfThePool) {
  struct Made {
    LiteralKind kind;
    int width;
    std::string text;
    std::string symbol;
  };
  std::vector<Made> model;
  auto group = [](LiteralKind k) { return k == LiteralKind::NumLit ? LiteralKind::CharLit : k; };
  const LiteralKind kinds[] = {LiteralKind::CharLit, LiteralKind::NumLit, LiteralKind::AddrCon, LiteralKind::AreaDef,
                               LiteralKind::AdconLit};
  const char* texts[] = {"A", "A  ", "B", "AB", "&1", "ABCDE"};
  std::mt19937 rng(1401);
  int pool_start = 1;
  for (int step = 0; step < 5000; ++step) {
    if (rng() % 50 == 0) lits.set_last_pool_start(pool_start = static_cast<int>(model.size()) + 1);
    const Made m{kinds[rng() % 5], static_cast<int>(rng() % 6) + 1, texts[rng() % 6], rng() % 2 ? "S1    " : "S2    "};
    const bool symbolic = m.kind == LiteralKind::AddrCon;
    int expect = 0;
    const int limit = m.kind == LiteralKind::CharLit ? 4 : m.kind == LiteralKind::NumLit ? 6 : 52;
    for (int i = pool_start; m.width <= limit && expect == 0 && i <= static_cast<int>(model.size()); ++i) {
      const Made& o = model[static_cast<std::size_t>(i - 1)];
      if (rtrim(o.text) != rtrim(m.text)) continue;
      if (m.kind == LiteralKind::AreaDef ||
          (group(o.kind) == group(m.kind) && o.width == m.width && (!symbolic || o.symbol == m.symbol)))
        expect = i;
    }
    if (expect == 0) {
      model.push_back(m);
      expect = static_cast<int>(model.size());
    }
    ASSERT_EQ(lits.create_lit(m.kind, m.width, m.text, 0, ' ', symbolic ? m.symbol : ""), expect) << step;
  }
}

}  // namespace
}  // namespace velumar
