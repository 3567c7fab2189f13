// Declaratives in pass 3: the characters and word marks that DC, DCW, DS,
// DSA, DA and the literal-pool lines put into storage.
#include <gtest/gtest.h>

#include "pass3/test_support.h"

namespace velumar {
namespace {

using p3test::at;
using p3test::card;
using p3test::end_record;
using p3test::instr;
using p3test::Job;
using p3test::load_deck;

using p3test::record;

Record org(int where) { return record(card("", "ORG", std::to_string(where)), 0, {opnd(OperandKind::Actual, where)}); }

TEST(Pass3Constants, SignedNumbersCarryTheSignInTheUnitsZone) {
  Job job;
  job.add(record(card("", "DCW", "-123"), 3, {opnd(OperandKind::NumLit, 0)}));
  job.add(record(card("", "DCW", "+120"), 3, {opnd(OperandKind::NumLit, 0)}));
  job.add(record(card("", "DCW", "&5"), 1, {opnd(OperandKind::NumLit, 0)}));
  job.add(record(card("", "DCW", "123"), 3, {opnd(OperandKind::Actual, 0)}));
  job.add(record(card("", "DC", "-123"), 3, {opnd(OperandKind::NumLit, 0)}));  // same characters, no word mark
  job.add(end_record());
  job.run();

  const auto cards = job.cards();
  ASSERT_EQ(cards.size(), 2u);
  EXPECT_EQ(cards[0], "12L12?E12312L" + std::string(26, ' ') + "L013345,336339,340040,040040" + "1040" + "0001" +
                          std::string(5, ' '));
  EXPECT_EQ(at(job.line_of("", "DC"), 82, 91), "   3  0345");
}

TEST(Pass3Constants, AddressConstants) {
  Job job;
  const int name = job.sym("NAME", 100);
  const int undef = job.sym("NOWHER", -30000);
  const int lit = job.ctx.literals.create_lit(LiteralKind::CharLit, 3, "ABC");
  job.ctx.literals[lit].address = 2000;
  job.add(record(card("", "DCW", "-NAME"), 3, {opnd(OperandKind::AddrCon, name)}));              // complement: 15900
  job.add(record(card("", "DCW", "&NAME&5&X1"), 3, {opnd(OperandKind::AddrCon, name, 5, '1')}));  // 105, register 1
  job.add(record(card("", "DCW", "&NOWHER"), 3, {opnd(OperandKind::AddrCon, undef)}));
  job.add(record(card("", "DCW", "+@ABC@"), 3, {opnd(OperandKind::AdconLit, lit)}));
  job.add(record(card("", "DCW", "&GONE"), 3, {opnd(OperandKind::AddrCon, -1)}, 0, "ADCON", err::SymErr));
  job.add(end_record());
  job.run();

  EXPECT_EQ(load_deck(job.cards()).text(333, 347), "I0?1'5###!00###");
  const auto list = job.listing();
  EXPECT_EQ(at(list[3], 82, 96), "   3  0335  I0?");
  EXPECT_EQ(at(list[5], 118, 120), "SYM");
  EXPECT_EQ(at(list[7], 1, 5), "     ");  // a literal-pool line has no sequence number
  EXPECT_EQ(job.ctx.diag.errors_in_job(), 2);
}

TEST(Pass3Constants, PoolLinesPlaceTheirLiteralsCharacters) {
  // The pool's card only shows the literal: what is placed comes from the
  // literal the record names (here the cards say something else).
  Job job;
  const int chars = job.ctx.literals.create_lit(LiteralKind::CharLit, 3, "X,Y");
  const int number = job.ctx.literals.create_lit(LiteralKind::NumLit, 2, "-25");
  const int plain = job.ctx.literals.create_lit(LiteralKind::NumLit, 2, "7");  // shorter than its width
  const auto pooled = [](Record r, int literal) {
    r.literal = literal;
    return r;
  };
  job.add(pooled(record(card("", "DCW", "@ABC@"), 3, {opnd(OperandKind::CharLit, 0)}, 0, "LIT  "), chars));
  job.add(pooled(record(card("", "DCW", "-99"), 2, {opnd(OperandKind::Actual, 0)}, 0, "LIT  "), number));
  job.add(pooled(record(card("", "DCW", "88"), 2, {opnd(OperandKind::Actual, 0)}, 0, "LIT  "), plain));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(333, 339), "X,Y2N7 ");
  EXPECT_EQ(core.marks(333, 339), (std::set<int>{333, 336, 338}));
}

TEST(Pass3Constants, StorageAndSymbolicAddresses) {
  Job job;
  const int buf = job.sym("BUF", 509);
  const int target = job.sym("TARGET", 1000);
  const int ptr = job.sym("PTR", 512);
  job.add(org(500));
  job.add(record(card("BUF", "DS", "10"), 10, {}, buf));
  job.add(record(card("PTR", "DSA", "TARGET"), 3, {opnd(OperandKind::Symbolic, target)}, ptr));
  job.add(record(card("2000", "DSA", "*"), 3, {opnd(OperandKind::Asterisk, 0)}, -2000));  // its own last position
  job.add(record(card("", "DSA", "15&X3"), 3, {opnd(OperandKind::Actual, 15, 0, '3')}));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(510, 512), "'00");
  EXPECT_EQ(core.text(2000, 2002), "!02");
  // The DSA at 2000 took no room at P: the next one follows PTR directly.
  EXPECT_EQ(core.text(513, 515), "0A5");
  EXPECT_EQ(core.marks(500, 2002), (std::set<int>{510, 513, 2000}));
  EXPECT_EQ(at(job.line_of("BUF", "DS"), 82, 91), "      0509");
  EXPECT_EQ(at(job.line_of("PTR", "DSA"), 82, 96), "   3  0512  '00");
  EXPECT_EQ(job.ctx.diag.errors_in_job(), 0);  // every label matches its location
}

TEST(Pass3Constants, DefineAreaWithRecordMarksAndGroupMark) {
  Job job;
  job.add(org(600));
  job.add(record(card("AREA", "DA", "3X20,',G"), 64,
                 {opnd(OperandKind::Actual, 3), opnd(OperandKind::Actual, 20), opnd(OperandKind::DaOpt, 0, 0, ' ', "  ", " G'")}));
  job.add(instr("A"));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(620, 620) + core.text(641, 641) + core.text(662, 663), "'''\"");
  EXPECT_EQ(core.marks(600, 664), (std::set<int>{600, 621, 642, 663, 664}));
  EXPECT_EQ(job.out.str().find("What went wrong"), std::string::npos);

  const auto list = job.listing();
  EXPECT_EQ(at(list[4], 86, 98), "  0600   0663");
  for (int i = 0; i < 3; ++i) {
    const std::string& l = list[static_cast<std::size_t>(5 + i)];
    EXPECT_EQ(at(l, 1, 5), "     ");
    EXPECT_EQ(at(l, 22, 30), "DC    @'@");
    EXPECT_EQ(at(l, 82, 91), "   1  0" + std::to_string(620 + 21 * i));
    EXPECT_EQ(at(l, 106, 110), "RMARK");
  }
  EXPECT_EQ(at(list[8], 1, 5), "  102");
  EXPECT_EQ(at(list[8], 22, 30), "DCW   @\"@");
  EXPECT_EQ(at(list[8], 82, 110), "   1  0663" + std::string(14, ' ') + "GMARK");
  EXPECT_EQ(at(list[9], 86, 91), "  0664");
}

TEST(Pass3Constants, DefineAreaAtExplicitOriginClearedOrMalformed) {
  Job job;
  const Operand none = opnd(OperandKind::DaOpt, 0, 0, ' ', "  ", "");
  job.add(record(card("2000", "DA", "2X10"), 20, {opnd(OperandKind::Actual, 2), opnd(OperandKind::Actual, 10), none}, -2000));
  job.add(record(card("", "DA", "2X5,C"), 10,
                 {opnd(OperandKind::Actual, 2), opnd(OperandKind::Actual, 5), opnd(OperandKind::DaOpt, 0, 0, ' ', "  ", "C")}));
  // A size pass 1 could not read: it reserved nothing, so nothing is laid out.
  job.add(record(card("", "DA", "2Y5"), 0, {opnd(OperandKind::Actual, 1), opnd(OperandKind::Actual, 1), none}, 0, "     ",
                 err::NoBXLErr));
  job.add(instr("A"));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.marks(2000, 2020), (std::set<int>{2000, 2010}));
  EXPECT_EQ(core.text(333, 343), "          A");  // the explicit area left P at 333
  EXPECT_EQ(core.marks(333, 343), (std::set<int>{333, 338, 343}));
  EXPECT_EQ(job.out.str().find("What went wrong"), std::string::npos);
}

TEST(Pass3Constants, BlankCharacterAndBadConstants) {
  Job job;
  job.add(record(card("704", "DCW", "#5"), 5, {opnd(OperandKind::BlankCon, 5)}, -700));  // blanks at their own place
  job.add(record(card("", "DCW", "@\"@"), 1, {opnd(OperandKind::CharLit, 0)}));
  job.add(record(card("BUFFER", "DCW", "#04"), 4, {opnd(OperandKind::AreaDef, 0)}, 0, "AREA "));
  job.add(record(card("", "DCW", "@AB@"), 2, {opnd(OperandKind::CharLit, 0)}, 0, "LIT  "));
  job.add(record(card("", "DCW", "5"), 0, {opnd(OperandKind::Actual, 0)}));
  job.add(instr("A"));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(700, 704), "     ");
  EXPECT_EQ(core.text(333, 340), "\"    ABA");
  EXPECT_EQ(core.marks(333, 800), (std::set<int>{333, 334, 338, 340, 700}));
  const auto list = job.listing();
  EXPECT_EQ(at(list[4], 106, 110), "GMARK");
  EXPECT_EQ(at(list[6], 1, 5), "     ");
  EXPECT_EQ(at(list[7], 118, 130), "BAD STATEMENT");
}

}  // namespace
}  // namespace velumar
