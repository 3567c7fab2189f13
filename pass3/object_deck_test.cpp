#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "core/text.h"
#include "pass3/pass3.h"

namespace velumar {
namespace {

using Lines = std::vector<std::string>;

// Data columns 1-39, columns 40-71, sequence number, blank deck id.
std::string card(std::string_view data, std::string_view code, int no) {
  return pad(data, 39) + pad(code, 32) + fmt_int_zero(no, 4, 4) + "     ";
}

struct ObjectDeck : ::testing::Test {
  std::ostringstream out, obj;
  Context ctx{out};
  Record rec;
  Pass3& make() {
    ctx.object = &obj;
    p.emplace(ctx.job(), false, true, false);
    p->rec = &rec;
    return *p;
  }
  Lines cards() {
    Lines v;
    std::istringstream in(obj.str());
    for (std::string l; std::getline(in, l);) v.push_back(l);
    obj.str("");
    return v;
  }
  void transfer_to(int addr) { rec.ops = {Operand{.ADDR = addr, .KIND = K_ACTUAL}}; }
  std::optional<Pass3> p;
};

TEST_F(ObjectDeck, FieldsShareCardsUntilAGapOrAFullCard) {
  Pass3& p = make();
  p.dc("M346205", 'W', 339, 0);
  p.dc("A400500", 'W', 346, 0);  // its word mark takes slot 1
  p.dc("12", ' ', 502, 0);       // gap; first data without word mark: clear-word-mark
  p.dc(std::string(39, '9'), 'W', 541, 0);  // does not fit: a card of its own, punched at once
  EXPECT_EQ(p.P, 388);
  EXPECT_EQ(cards(), (Lines{card("M346205A400500", "L014346,340040,040040,0400401040", 1),
                            card("12", "L002502)501501,040040,0400401040", 2),
                            card(std::string(39, '9'), "L039541,040040,040040,0400401040", 3)}));
  const std::string fifty(50, 'F');
  p.dc(fifty, 'W', 649, 0);  // the empty card goes first, then 39 + 11
  p.finish_obj(true);
  EXPECT_EQ(cards(), (Lines{card("", "L001001,040040,040040,0400401040", 4),
                            card(fifty.substr(0, 39), "L039638,040040,040040,0400401040", 5),
                            card(fifty.substr(39), "L011649)639639,040040,0400401040", 6)}));
}

TEST_F(ObjectDeck, MarksAlreadyOnACardSurviveTheClearWordMark) {
  Pass3& p = make();
  p.sw(600);
  p.sw(621);
  p.dc("'", ' ', 620, 0);
  p.finish_obj(true);
  p.sw(642);
  p.dc("AB", 'W', 701, 0);
  p.finish_obj(true);
  EXPECT_EQ(cards(), (Lines{card("", "L001001,600621,040040,0400401040", 1),
                            card("'", "L001620)620620,040040,0400401040", 2),
                            card("AB", "L002701,642040,040040,0400401040", 3)}));
}

TEST_F(ObjectDeck, SeventhWordMarkPunchesOrWaitsInTheQueue) {
  Pass3& p = make();
  for (int a = 400; a <= 407; ++a) p.dc("A", 'W', a, 0);
  EXPECT_EQ(cards(), Lines{card("AAAAAAA", "L007406,401402,403404,4054061040", 1)});

  ctx.settings.Extra = extra::Extra_SWQ;
  for (int a = 500; a <= 508; ++a) p.dc("B", 'W', a, 0);  // 501-506 in slots, 507 and 508 queued
  p.dc("Z", ' ', 600, 0);
  EXPECT_EQ(cards(), (Lines{card("A", "L001407,040040,040040,0400401040", 2),
                            card("BBBBBBBBB", "L009508,501502,503504,5055061040", 3)}));
  transfer_to(333);
  p.transfer_end();  // the queue drains after the clear-word-mark, the rest flushes at END
  EXPECT_EQ(cards(), (Lines{card("Z", "L001600)600600,507508,0400401040", 4), card("", "/333080", 5)}));

  p.SWQ.assign(Pass3::SWQ_SIZE, 0);  // a full queue refuses: the card is punched instead
  p.SWQH = 1;
  p.SWQT = Pass3::SWQ_SIZE;
  for (int a = 700; a <= 707; ++a) p.dc("C", 'W', a, 0);
  EXPECT_EQ(p.SWQT, Pass3::SWQ_SIZE);
  EXPECT_EQ(cards(), Lines{card("CCCCCCC", "L007706,701702,703704,7057061040", 6)});
}

TEST_F(ObjectDeck, ClearFollowsOnFromPEvenAtAnExplicitLocation) {
  Pass3& p = make();
  p.P = 800;
  p.IxLab = -900;
  p.clear(45, ' ');
  p.finish_obj(true);
  EXPECT_EQ(p.P, 800);
  EXPECT_EQ(cards(), (Lines{card("", "L039838)800800,040040,0400401040", 1),
                            card("", "L006844)839839,040040,0400401040", 2)}));
}

TEST_F(ObjectDeck, TransferCards) {
  Pass3& p = make();
  p.dc("ABC", 'W', 335, 0);
  transfer_to(333);
  p.transfer_ex();
  EXPECT_TRUE(p.NeedEX);
  EXPECT_EQ(p.OUTPUT.substr(0, 6), "B 333 ");
  ctx.settings.Extra = extra::Extra_EX | extra::Extra_End;
  p.dc("D", 'W', 336, 0);
  p.transfer_ex();  // quick: the branch ends the data card
  p.dc("EF", 'W', 401, 0);
  p.transfer_end();  // quick, third slot free: no card of its own
  EXPECT_EQ(p.OUTPUT.substr(0, 10), "/ 333 080 ");
  for (int a = 500; a <= 505; ++a) p.dc("G", 'W', a, 0);
  ctx.symtab.enter("NOWHER", REF, 0);
  rec.ops = {Operand{.ADDR = ctx.symtab.lookup("NOWHER"), .KIND = K_SYMBOLIC}};
  p.transfer_end();  // third slot taken
  EXPECT_EQ(ctx.diag.ErrCode, err::SymErr);
  EXPECT_EQ(cards(), (Lines{card("ABC", "L003335,040040,040040,0400401040", 1),
                            card("", "N000000,040040,040040,040040B333", 2),
                            card("D", "L001336,040040,040040,040040B333", 3),
                            card("EF", "L002401,040040,040040/3330801040", 4),
                            card("GGGGGG", "L006505,501502,503504,5050401040", 5), card("", "/###080", 6)}));
}

TEST_F(ObjectDeck, QuickEndTakesTheThirdInstructionWhileItSetsOnly040) {
  Pass3& p = make();
  ctx.settings.Extra = extra::Extra_End;
  p.dc("H", 'W', 500, 0);
  for (int a : {401, 402, 403, 404, 40}) p.sw(a);  // the fifth slot names 040 itself
  transfer_to(333);
  p.transfer_end();
  p.dc("K", 'W', 600, 0);
  for (int a : {401, 402, 403, 404, 405}) p.sw(a);
  p.transfer_end();
  EXPECT_EQ(cards(), (Lines{card("H", "L001500,401402,403404/3330801040", 1),
                            card("K", "L001600,401402,403404,4050401040", 2), card("", "/333080", 3)}));
}

TEST_F(ObjectDeck, InterleavedCardsFollowAPageHeading) {
  std::ostringstream list;
  ctx.object = &obj;
  ctx.listing = &list;
  ctx.settings.Interleave = true;
  Pass3 q(ctx.job(), true, true, false);
  q.dc("HELLO", 'W', 337, 0);
  q.finish_obj(true);
  const std::string punched(rtrim(card("HELLO", "L005337,040040,040040,0400401040", 1)));
  EXPECT_EQ(list.str().substr(0, 1), "0");  // the first page line came before the card
  EXPECT_NE(list.str().find("\n&" + punched + "\n"), std::string::npos);
  EXPECT_EQ(q.LINE_NO, 4);
}

TEST_F(ObjectDeck, ReadAreaIsFlaggedWithOrWithoutADeck) {
  ctx.settings.NotIn_1_80 = true;
  Pass3 p(ctx.job(), false, false, false);
  const auto flagged = [&](auto place) {
    ctx.diag.ErrCode = err::NoErr;
    place();
    return ctx.diag.ErrCode == err::AddrErr;
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

}  // namespace
}  // namespace velumar
