// Control statements in pass 1: ORG, LTORG, EX, XFR, END, CHAIN, SFX and
// the statements that only leave a record.
#include <gtest/gtest.h>

#include "pass1/pass1_test_support.h"

namespace velumar {
namespace {

// A pool record placing literal `literal`.
Record of_literal(int literal, Record r) {
  r.literal = literal;
  return r;
}

using namespace p1test;  // card images, records and the in-memory run

TEST(Origin, OperandForms) {
  Pass1Run run(deck({card("HERE", "ORG", "1234&X00"), card("", "ORG", "1300&X00"), card("", "ORG", "*&10"),
                     card("", "ORG", "2000&X1"), card("", "ORG", "@"), card("", "ORG", "A&Q"), card("", "ORG", "LATER"),
                     card("X", "A"), card("", "END")}));
  const std::vector<Record> expected = {
      // Rounding to the hundred sets the index to "0", which is no indexing.
      rec("", card("HERE", "ORG", "1234&X00"), 1, 333, 0, ' ', {x00(opnd(OperandKind::Actual, 1234, 0, '0', "12"))}),
      rec("", card("", "ORG", "1300&X00"), 0, 1300, 0, ' ', {x00(opnd(OperandKind::Actual, 1300, 0, '0', "13"))}),
      rec("", card("", "ORG", "*&10"), 0, 1300, 0, ' ', {opnd(OperandKind::Asterisk, 0, 10, ' ', "*")}),
      diag("Indexing not permitted", 4),
      rec("", card("", "ORG", "2000&X1"), 0, 1310, 0, '9', {opnd(OperandKind::Actual, 2000, 0, '1', "20")}),
      diag("Improper operand form", 5),
      rec("", card("", "ORG", "@"), 0, 2000, 0, '9', {opnd(OperandKind::Other, 0, 0, ' ', "@")}),
      // An operand the parser dropped counts as absent: P stays.
      diag("Index must be X[0-3]", 6, false, 1),
      rec("", card("", "ORG", "A&Q"), 0, 2000, 0, '9'),
      rec("", card("", "ORG", "LATER"), 0, 2000, 0, ' ',
          {opnd(OperandKind::Symbolic, run.sym_index("LATER"), 0, ' ', "LA", "LATER")}),
      rec("", card("X", "A"), run.sym_index("X"), kUndefinedOrg, 1),
      rec("", card("", "END"), 0, kUndefinedOrg + 1, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym("HERE"), 333);
  EXPECT_EQ(run.sym("X"), std::nullopt);  // undefined until pass 2
}

TEST(Origin, BlankOperandGoesPastStorageUsedIncludingPools) {
  Pass1Run run(deck({card("", "A", "@ABC@"), card("", "LTORG"), card("", "ORG", "100"), card("", "DS", "5"),
                     card("", "ORG"), card("", "A"), card("", "END")}));
  const std::vector<Record> expected = {
      rec("", card("", "A", "@ABC@"), 0, 333, 4, ' ', {opnd(OperandKind::CharLit, 1, 0, ' ', "@A")}),
      // LTORG carries the number of literals in its width field.
      rec("", card("", "LTORG"), 0, 337, 1, ' ', {opnd(OperandKind::Actual, 337)}),
      of_literal(1, rec("LIT  ", card("", "DCW", "@ABC@"), 0, 337, 3, ' ', {opnd(OperandKind::CharLit, 0)})),
      rec("", card("", "ORG", "100"), 0, 340, 0, ' ', {opnd(OperandKind::Actual, 100, 0, ' ', "10")}),
      rec("", card("", "DS", "5"), 0, 100, 5),
      rec("", card("", "ORG"), 0, 105, 0, ' ', {opnd(OperandKind::Actual, 340)}),
      rec("", card("", "A"), 0, 340, 1),
      rec("", card("", "END"), 0, 341, 1, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);

  // A statement that stores nothing still counts where it stands.
  Pass1Run zero(deck({card("", "JOB", "PROG"), card("", "ORG"), card("", "ORG", "3000"), card("", "ORG", "500"),
                      card("", "DS", "5"), card("", "ORG"), card("", "END")}));
  const std::vector<Record> zero_expected = {
      rec("", card("", "JOB", "PROG"), 0, 333, 0),
      rec("", card("", "ORG"), 0, 333, 0, ' ', {opnd(OperandKind::Actual, 333)}),
      rec("", card("", "ORG", "3000"), 0, 333, 0, ' ', {opnd(OperandKind::Actual, 3000, 0, ' ', "30")}),
      rec("", card("", "ORG", "500"), 0, 3000, 0, ' ', {opnd(OperandKind::Actual, 500, 0, ' ', "50")}),
      rec("", card("", "DS", "5"), 0, 500, 5),
      rec("", card("", "ORG"), 0, 505, 0, ' ', {opnd(OperandKind::Actual, 3000)}),
      rec("", card("", "END"), 0, 3000, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(zero.records(), zero_expected);

  Pass1Run empty(deck({card("", "LTORG", "500"), card("", "END")}));
  ASSERT_EQ(empty.records().size(), 2u);
  EXPECT_EQ(empty.at(0).width, 0);
  EXPECT_EQ(empty.at(1).location, 500);
}

TEST(Transfer, ExXfrAndEnd) {
  Pass1Run run(deck({card("", "A", "@AB@"), card("", "EX", "START"), card("START", "A"), card("", "XFR", "400"),
                     card("", "END", ",")}));
  const std::vector<Record> expected = {
      rec("", card("", "A", "@AB@"), 0, 333, 4, ' ', {opnd(OperandKind::CharLit, 1, 0, ' ', "@A")}),
      of_literal(1, rec("LIT  ", card("", "DCW", "@AB@"), 0, 337, 2, ' ', {opnd(OperandKind::CharLit, 0)})),
      rec("", card("", "EX", "START"), 0, 337, 1, ' ', {opnd(OperandKind::Symbolic, 1, 0, ' ', "", "START")}),
      rec("", card("START", "A"), 1, 339, 1),
      rec("", card("", "XFR", "400"), 0, 340, 0, ' ', {opnd(OperandKind::Actual, 400)}),
      diag("Improper operand for END", 5),
      rec("", card("", "END", ","), 0, 340, 1, '9', {Operand{}}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.status, 0);

  // An error inside the pool belongs to the literal, not to the EX.
  Pass1Run dup(deck({card("AREA", "DCW", "@X@"), card("", "MCW", "AREA#5,AREA"), card("", "EX"), card("", "END")}));
  EXPECT_EQ(dup.at(2), diag("Label AREA is a duplicate", 3));
  EXPECT_EQ(dup.at(3).kind, RecordKind::Area);
  EXPECT_EQ(dup.at(4), rec("", card("", "EX"), 0, 341, 1, ' ', {opnd(OperandKind::Actual, 0)}));

  // The message names the statement; the operand stays, all zero.
  Pass1Run bad(deck({card("", "EX", "*"), card("", "XFR", "-5"), card("", "END")}));
  const std::vector<Record> improper = {
      diag("Improper operand for EX", 1),
      rec("", card("", "EX", "*"), 0, 333, 0, '9', {Operand{}}),
      diag("Improper operand for XFR", 2),
      rec("", card("", "XFR", "-5"), 0, 333, 0, '9', {Operand{}}),
      rec("", card("", "END"), 0, 333, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(bad.records(), improper);
}

TEST(Chain, RepeatsThePreviousOperation) {
  Pass1Run run(deck({card("", "ORG", "500"), card("", "MCW", "A,B"), card("", "CHAIN", "3"), card("", "A"),
                     card("", "MCW", "A,B"), card("", "CHAIN", "0"), card("", "A"), card("", "END")}));
  const std::vector<Record> generated = {
      rec("MACRO", card("", "CHAIN", "3"), 0, 0, 0),
      rec("GEN  ", card("", "MCW"), 0, 507, 1),
      rec("GEN  ", card("", "MCW"), 0, 508, 1),
      rec("GEN  ", card("", "MCW"), 0, 509, 1),
  };
  const std::vector<Record> all = run.records();
  EXPECT_EQ(std::vector<Record>(all.begin() + 2, all.begin() + 6), generated);
  EXPECT_EQ(run.at(6).location, 510);
  EXPECT_EQ(run.at(7).location, 511);

  EXPECT_EQ(run.at(8), diag("CHAIN amount is zero", 6));
  EXPECT_EQ(run.at(9), rec("MACRO", card("", "CHAIN", "0"), 0, 0, 0, '5'));
  EXPECT_EQ(run.at(10), rec("MACRO", card("", "CHAIN", "0"), 0, 518, 0, '5'));
  EXPECT_EQ(run.at(11).location, 518);
}

TEST(Chain, Errors) {
  std::string junk = card("J", "CHAIN", "2");
  junk[12] = 'X';
  Pass1Run run(deck({card("", "MCW", "A,B"), card("", "CHAIN", "X"), card("", "CHAIN", "2"), card("", "A"), junk,
                     card("", "A"), card("", "CHAIN", "20000"), card("", "END")}));
  EXPECT_EQ(run.at(1), diag("Operand of CHAIN is not a number", 2));
  EXPECT_EQ(run.at(2), diag("CHAIN amount is zero", 2));
  EXPECT_EQ(run.at(4), rec("MACRO", card("", "CHAIN", "X"), 0, 340, 0, '5'));

  // After a CHAIN the previous operation is no machine operation; the
  // characters are still generated, from the CHAIN card's columns 16-20.
  EXPECT_EQ(run.at(5), diag("Previous OP code not a machine OP", 3));
  EXPECT_EQ(run.at(6), rec("MACRO", card("", "CHAIN", "2"), 0, 0, 0));
  EXPECT_EQ(run.at(7), rec("GEN  ", card("", "CHAIN"), 0, 340, 1));
  EXPECT_EQ(run.at(8), rec("GEN  ", card("", "CHAIN"), 0, 341, 1, '9'));

  // A CHAIN that generates nothing stores nothing: P stays.
  EXPECT_EQ(run.at(11), rec("MACRO", junk, 0, 0, 0, '2'));
  EXPECT_EQ(run.at(12), rec("MACRO", junk, 0, 343, 2, '2'));
  EXPECT_EQ(run.at(13).location, 343);

  // More characters than storage holds: flagged, nothing generated.
  EXPECT_EQ(run.at(14), rec("MACRO", card("", "CHAIN", "20000"), 0, 0, 0, '9'));
  EXPECT_EQ(run.at(15), rec("MACRO", card("", "CHAIN", "20000"), 0, 344, 20000, '9'));
  EXPECT_EQ(run.at(16).location, 344);
  EXPECT_EQ(run.at(17), diag("CORE STORAGE EXCEEDED", 8));
  EXPECT_EQ(run.records().size(), 18u);

  // An amount of 0 after a statement that is no machine operation asks for
  // nothing: no character is generated and P stays.
  Pass1Run zero(deck({card("", "DCW", "@AB@"), card("", "CHAIN", "0"), card("", "CHAIN", "X"), card("", "A"),
                      card("", "END")}));
  const std::vector<Record> none = {
      rec("", card("", "DCW", "@AB@"), 0, 333, 2, ' ', {opnd(OperandKind::CharLit, 0, 0, ' ', "@A")}),
      diag("Previous OP code not a machine OP", 2),
      rec("MACRO", card("", "CHAIN", "0"), 0, 0, 0),
      rec("MACRO", card("", "CHAIN", "0"), 0, 335, 0, '9'),
      diag("Operand of CHAIN is not a number", 3),
      diag("Previous OP code not a machine OP", 3),
      rec("MACRO", card("", "CHAIN", "X"), 0, 0, 0),
      rec("MACRO", card("", "CHAIN", "X"), 0, 335, 0, '9'),
      rec("", card("", "A"), 0, 335, 1),
      rec("", card("", "END"), 0, 336, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(zero.records(), none);
}

TEST(ControlStatements, SuffixAndRecordOnlyStatements) {
  Pass1Run run(deck({card("", "SFX", "Z"), card("AB", "DCW", "@X@"), card("ABCDEF", "DCW", "@X@"), card("", "B", "AB"),
                     card("", "DCW", "&AB"), card("", "ENT"), card("", "ALTER"), card("", "DELET"), card("", "INSER"),
                     card("", "JOB", "HELLO"), card("", "CTL", "33"), card("", "END")}));
  EXPECT_EQ(run.at(0), rec("", card("", "SFX", "Z"), 0, 333, 0));
  EXPECT_EQ(run.sym("ABZ"), 333);
  EXPECT_EQ(run.sym("ABCDEF"), 334);  // six characters take no suffix
  EXPECT_EQ(run.at(3), rec("", card("", "B", "AB"), 0, 335, 4, ' ', {opnd(OperandKind::Symbolic, 1, 0, ' ', "AB", "ABZ")}));
  EXPECT_EQ(run.at(4), rec("", card("", "DCW", "&AB"), 0, 339, 3, ' ', {opnd(OperandKind::AddrCon, 1, 0, ' ', "&", "ABZ")}));

  EXPECT_EQ(run.at(5), diag("Can't change coding mode", 6));
  EXPECT_EQ(run.at(6), rec("", card("", "ENT"), 0, 342, 0, '9'));
  EXPECT_EQ(run.at(7), diag("ALTER not handled -- use an editor", 7));
  EXPECT_EQ(run.at(9), diag("DELET not handled -- use an editor", 8));
  EXPECT_EQ(run.at(11), diag("INSER not handled -- use an editor", 9));
  EXPECT_EQ(run.at(12), rec("", card("", "INSER"), 0, 342, 0, '9'));
  EXPECT_EQ(run.at(13), rec("", card("", "JOB", "HELLO"), 0, 342, 0));
  EXPECT_EQ(run.at(14), rec("", card("", "CTL", "33"), 0, 342, 0));
  EXPECT_EQ(run.ctx.parser.suffix(), 'Z');
}

}  // namespace
}  // namespace velumar
