// The statement loop and instruction assembly: what each machine
// instruction puts into storage, the operand addresses, the label check,
// ORG, the generated DA-field and CHAIN records, and the error count.
#include <gtest/gtest.h>

#include "core/charset.h"
#include "pass3/test_support.h"

namespace velumar {
namespace {

using p3test::at;
using p3test::card;
using p3test::end_record;
using p3test::Job;
using p3test::load_deck;

using p3test::record;


TEST(Pass3Instructions, OperandsWidthsAndDModifiers) {
  Job job;
  const int data = job.sym("DATA", 1234, 2);
  const int loop = job.sym("LOOP", 500);
  const int x = job.sym("X", 600);
  const int y = job.sym("Y", 700);
  // DATA carries register 2 in its symbol; "*" is the instruction's last position.
  job.add(record(card("", "MCW", "DATA,*&3"), 7, {opnd(OperandKind::Symbolic, data), opnd(OperandKind::Asterisk, 0, 3)}));
  job.add(record(card("", "A", ""), 1));                                      // chained form
  job.add(record(card("", "WM", ""), 2));                                     // fixed d, no operands
  job.add(record(card("", "CC", "1"), 2, {opnd(OperandKind::Actual, 1, 0, ' ', "1 ")}));  // operand is the d-modifier
  job.add(record(card("", "B", "LOOP"), 4, {opnd(OperandKind::Symbolic, loop)}));
  job.add(record(card("", "BH", "LOOP"), 5, {opnd(OperandKind::Symbolic, loop)}));  // fixed d "U"
  job.add(record(card("", "B", "LOOP,Q"), 5, {opnd(OperandKind::Symbolic, loop), opnd(OperandKind::Symbolic, 0, 0, ' ', "Q ")}));
  job.add(record(card("", "BCE", "X,Y,Z"), 8,
                 {opnd(OperandKind::Symbolic, x), opnd(OperandKind::Symbolic, y), opnd(OperandKind::Symbolic, 0, 0, ' ', "Z ")}));
  job.add(record(card("", "RT", "1,Y"), 8, {opnd(OperandKind::Actual, 1), opnd(OperandKind::Symbolic, y)}));  // device letter U
  job.add(record(card("", "BSP", "%U2"), 5, {opnd(OperandKind::Device, 0, 0, ' ', "%U", "%U2")}));
  job.add(record(card("", "A", "X"), 3));  // a width no instruction has: P stays in step
  job.add(record(card("", "MACRX", "A,B"), 0, {opnd(OperandKind::Actual, 1)}));  // unknown: only listed
  job.add(record(card("", "S", ""), 1));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(333, 339), "MSL4342");
  EXPECT_EQ(core.text(340, 366), "A2)F1B500B500UB500QB600700Z");
  EXPECT_EQ(core.text(367, 379), "M%U1700RU%U2B");
  EXPECT_EQ(core.text(380, 383), "A  S");
  EXPECT_EQ(core.marks(333, 383), (std::set<int>{333, 340, 341, 343, 345, 349, 354, 359, 367, 375, 380, 383}));
  EXPECT_EQ(at(job.line_of("", "BCE"), 94, 104), "B 600 700 Z");
  EXPECT_EQ(at(job.line_of("", "WM"), 94, 96), "2 )");
  EXPECT_TRUE(is_blank(at(job.line_of("", "MACRX"), 82, 115)));
  EXPECT_EQ(job.ctx.diag.errors_in_job(), 0);
}

TEST(Pass3Instructions, UnrepresentableAddressesAreFlaggedAndCountedWithOrWithoutListing) {
  // The count must not depend on -l: an undefined symbol found only here
  // would otherwise leave the run looking clean.
  for (bool with_listing : {true, false}) {
    Job job;
    const int undef = job.sym("NOWHER", -30000);
    const int far = job.sym("FAR", 15999);
    job.add(record(card("", "B", "NOWHER"), 4, {opnd(OperandKind::Symbolic, undef)}));
    job.add(record(card("", "B", "FAR&1"), 4, {opnd(OperandKind::Symbolic, far, 1)}));
    job.add(record(card("", "B", "FAR&X5"), 4, {opnd(OperandKind::Symbolic, far, 0, '5')}));  // no register 5
    job.add(record(card("", "B", "@"), 4, {opnd(OperandKind::Other, 0)}));                   // a kind without address
    job.add(record(card("", "B", "FAR"), 4, {opnd(OperandKind::Symbolic, 999)}));            // not in the table
    job.add(record(card("", "A", ""), 1, {}, 0, "     ", err::LabelErr));          // flagged in pass 1
    job.add(end_record());
    job.run(with_listing);

    EXPECT_EQ(load_deck(job.cards()).text(333, 352), "B###B###B###B###B###");
    EXPECT_EQ(job.ctx.diag.errors_in_job(), 6) << with_listing;
    if (with_listing) {
      EXPECT_EQ(at(job.listing()[3], 118, 120), "SYM");
    }
  }
}

TEST(Pass3Instructions, LabelAtADifferentLocationIsReported) {
  Job job;
  const int alpha = job.sym("ALPHA", 400);
  job.add(record(card("", "ORG", "401"), 0, {opnd(OperandKind::Actual, 401)}));
  job.add(record(card("ALPHA", "A", ""), 1, {}, alpha));
  job.add(end_record());
  job.run();
  EXPECT_NE(job.list.str().find("Definition of ALPHA (400) different from current P (401)"), std::string::npos);
  EXPECT_EQ(at(job.line_of("ALPHA", "A"), 118, 120), "SYM");
  // The symbol keeps its value; the instruction goes where P is.
  EXPECT_EQ(job.ctx.symtab[alpha].value, 400);
  EXPECT_EQ(load_deck(job.cards()).text(401, 401), "A");
}

TEST(Pass3Instructions, DirectCoding) {
  Job job;
  const int loop = job.sym("LOOP", 500);
  job.add(record(std::string(80, ' '), 1));  // blank first card: a blank operation character
  std::string direct = card("", "", "LOOP");
  direct[18] = 'B';
  direct[19] = '"';  // a group mark as d-modifier
  job.add(record(direct, 5, {opnd(OperandKind::Symbolic, loop), opnd(OperandKind::Symbolic, 0, 0, ' ', "\" ")}));
  job.add(end_record());
  job.run();

  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(333, 338), " B500\"");
  EXPECT_EQ(core.marks(333, 338), (std::set<int>{333, 334}));
  const std::string line = job.listing()[4];
  EXPECT_EQ(at(line, 86, 91), "  0334");
  EXPECT_EQ(at(line, 106, 110), "GMARK");
}

TEST(Pass3Control, OrgWithHundredsAdjustmentAndUndefinedSymbol) {
  Job job;
  const int top = job.sym("TOP", 1234);
  const int even = job.sym("EVEN", 1300);
  const int here = job.sym("HERE", 333);
  const int undef = job.sym("LATER", -30000);
  job.add(record(card("HERE", "ORG", "TOP&X00"), 0, {x00(opnd(OperandKind::Symbolic, top, 0, '0'))}, here));
  job.add(record(card("", "A", ""), 1));
  job.add(record(card("", "ORG", "EVEN&X00"), 0, {x00(opnd(OperandKind::Symbolic, even, 0, '0'))}));
  job.add(record(card("", "ORG", "*&10"), 0, {opnd(OperandKind::Asterisk, 0, 10)}));
  job.add(record(card("", "S", ""), 1));
  job.add(record(card("", "ORG", "LATER"), 0, {opnd(OperandKind::Symbolic, undef)}));
  job.add(end_record());
  job.run();

  const std::string first = job.line_of("HERE", "ORG");
  EXPECT_EQ(at(first, 86, 91), "  0333");  // old location, shown because of the label
  EXPECT_EQ(at(first, 92, 98), "   1300");
  EXPECT_EQ(at(job.listing()[5], 92, 98), "   1300");  // a multiple of 100 stays
  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(1300, 1300), "A");
  EXPECT_EQ(core.text(1310, 1310), "S");
  EXPECT_TRUE(is_blank(at(job.line_of("", "ORG"), 86, 91)));  // no label, no old location
  EXPECT_EQ(at(job.listing()[8], 118, 126), "UNDEF ORG");
}

TEST(Pass3Control, LoaderComesFirstAndJobSetsTheDeckId) {
  Job job;
  job.ctx.settings.boot_loader = 'I';
  job.add(record(card("*", "JOB", "NOT A JOB CARD"), 0));  // a comment, whatever columns 16-18 say
  std::string job_card = card("", "JOB", "PAYROLL RUN");
  job_card.replace(75, 5, "PAY01");
  job.add(record(job_card, 0));
  job.add(record(card("", "A", ""), 1));
  job.add(end_record());
  job.run();

  const auto cards = job.cards();
  ASSERT_GE(cards.size(), 4u);
  EXPECT_EQ(cards[0].substr(0, 8), ",008015,");
  // The comment came first, yet the JOB card's id is not taken from it;
  // the real JOB card follows and its id is on every card punched after it.
  EXPECT_EQ(cards[0].substr(71, 9), "0001     ");
  EXPECT_EQ(cards[3].substr(75, 5), "PAY01");
  EXPECT_EQ(job.listing()[0].substr(0, 16), " CLEAR STORAGE 1");
}

TEST(Pass3Generated, FieldCardsMarkEveryRecordOfTheArea) {
  Job job;
  job.add(record(card("", "ORG", "600"), 0, {opnd(OperandKind::Actual, 600)}));
  job.add(record(card("AREA", "DA", "3X20"), 60,
                 {opnd(OperandKind::Actual, 3), opnd(OperandKind::Actual, 20), opnd(OperandKind::DaOpt, 0, 0, ' ', "  ", "      ")}));
  job.add(record(card("NAME", "", "5,20"), 0, {opnd(OperandKind::Actual, 5), opnd(OperandKind::Actual, 20)}, 0, "FIELD"));
  job.add(record(card("CODE", "", "7"), 0, {opnd(OperandKind::Actual, 7)}, 0, "SBFLD"));
  job.add(record(card("", "A", ""), 1));
  job.add(end_record());
  job.run();

  EXPECT_EQ(load_deck(job.cards()).marks(600, 680), (std::set<int>{600, 604, 620, 624, 640, 644, 660}));
  const std::string field = job.line_of("NAME", "");
  EXPECT_EQ(at(field, 1, 5), "  105");  // one number per record of the area
  EXPECT_EQ(at(field, 86, 91), "  0619");
  EXPECT_EQ(at(job.line_of("CODE", ""), 86, 91), "  0606");
  EXPECT_EQ(at(job.line_of("", "A"), 1, 5), "  107");
}

TEST(Pass3Generated, ChainedCharactersAndAChainInError) {
  Job job;
  job.add(record(card("", "A", ""), 1));
  job.add(record(card("", "CHAIN", "2"), 0, {}, 0, "MACRO"));
  job.add(record(card("", "A", ""), 1, {}, 0, "GEN  "));
  job.add(record(card("", "A", ""), 1, {}, 0, "GEN  "));
  job.add(record(card("", "CHAIN", "3"), 0, {}, 0, "MACRO", err::LabelErr));
  job.add(record(card("", "CHAIN", "3"), 3, {}, 0, "MACRO", err::LabelErr));  // generates nothing
  job.add(record(card("", "S", ""), 1));
  job.add(end_record());
  job.run();
  const p3test::Core core = load_deck(job.cards());
  EXPECT_EQ(core.text(333, 335), "AAA");
  EXPECT_EQ(core.text(336, 336), "S");
}

TEST(Pass3Control, StorageOneToEightyIsFlaggedUnlessAllowed) {
  for (bool not_in : {true, false}) {
    Job job;
    job.ctx.settings.keep_out_of_1_80 = not_in;
    job.add(record(card("", "ORG", "40"), 0, {opnd(OperandKind::Actual, 40)}));
    job.add(record(card("", "A", ""), 1));
    job.add(end_record());
    job.run();
    EXPECT_EQ(at(job.line_of("", "A"), 118, 121), not_in ? "ADDR" : "    ");
  }
}

TEST(Pass3Control, EquShowsValueIndexMarkOrDevice) {
  Job job;
  const int base = job.sym("BASE", 1000, 2);
  const int tape = job.sym("TAPE", 0, 0, "%U1");
  const int undef = job.sym("LATER", -30000);
  const int alias = job.sym("ALIAS", 1000, 2);
  const int indexed = job.sym("INDEXD", 1000, 2);
  job.add(record(card("ALIAS", "EQU", "BASE"), 0, {opnd(OperandKind::Symbolic, base)}, alias));
  job.add(record(card("INDEXD", "EQU", "BASE+X2"), 0, {opnd(OperandKind::Symbolic, base, 0, '2')}, indexed));
  job.add(record(card("DEV", "EQU", "%U1"), 0, {opnd(OperandKind::Device, 0, 0, ' ', "%U", "%U1")}));
  job.add(record(card("T2", "EQU", "TAPE"), 0, {opnd(OperandKind::Symbolic, tape)}));
  job.add(record(card("BAD", "EQU", "LATER"), 0, {opnd(OperandKind::Symbolic, undef)}));
  job.add(record(card("", "A", ""), 1));
  job.add(end_record());
  job.run();

  const std::string alias_line = job.line_of("ALIAS", "EQU");
  // The index mark is the operand's own, not the symbol's.
  EXPECT_EQ(at(alias_line, 86, 93), "  1000  ");
  EXPECT_EQ(at(job.line_of("INDEXD", "EQU"), 86, 93), "  1000 X");
  EXPECT_EQ(at(job.line_of("DEV", "EQU"), 86, 91), "  %U1 ");
  EXPECT_EQ(at(job.line_of("T2", "EQU"), 86, 91), "  %U1 ");
  EXPECT_EQ(at(job.line_of("BAD", "EQU"), 118, 120), "SYM");
  EXPECT_EQ(at(job.line_of("", "A"), 86, 91), "  0333");  // EQU takes no storage
}

}  // namespace
}  // namespace velumar
