// Machine instructions in pass 1: sizing, d-modifiers and operand checks.
#include <gtest/gtest.h>

#include "pass1/pass1_test_support.h"

namespace velumar {
namespace {

using namespace p1test;  // card images, records and the in-memory run

/// The record of `instruction` assembled as the only statement at 333.
Record one(const std::string& instruction) {
  Pass1Run run(deck({instruction, card("", "END")}));
  for (const Record& r : run.records())
    if (r.kind == RecordKind::Statement && r.card == instruction) return r;
  return Record{};
}

TEST(MachineInstruction, SizesAndSymbolReferences) {
  Pass1Run run(deck({card("LOOP", "A"), card("", "B", "LOOP"), card("", "MCW", "FROM,TO"), card("", "BCE", "LOOP,TO,X"),
                     card("", "END")}));
  const Operand loop = opnd(OperandKind::Symbolic, 1, 0, ' ', "LO", "LOOP");
  const Operand to = opnd(OperandKind::Symbolic, 3, 0, ' ', "TO", "TO");
  const std::vector<Record> expected = {
      rec("", card("LOOP", "A"), 1, 333, 1),
      rec("", card("", "B", "LOOP"), 0, 334, 4, ' ', {loop}),
      rec("", card("", "MCW", "FROM,TO"), 0, 338, 7, ' ', {opnd(OperandKind::Symbolic, 2, 0, ' ', "FR", "FROM"), to}),
      // The d-modifier operand stays in the list but names no symbol.
      rec("", card("", "BCE", "LOOP,TO,X"), 0, 345, 8, ' ', {loop, to, opnd(OperandKind::Symbolic, 0, 0, ' ', "X", "X")}),
      rec("", card("", "END"), 0, 353, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym_index("X"), -1);
}

TEST(MachineInstruction, FixedDModifiers) {
  EXPECT_EQ(one(card("", "BC9", "LOOP")).width, 5);
  EXPECT_EQ(one(card("", "MBC", "A,B")).width, 8);
  EXPECT_EQ(one(card("", "PCB")).width, 2);  // the chained form still carries its d character

  Pass1Run run(deck({card("", "MBC", "A,B,C"), card("", "BAV", "A,B"), card("", "END")}));
  EXPECT_EQ(run.at(0), diag("D field not allowed", 1));
  EXPECT_EQ(run.at(1).width, 8);
  EXPECT_EQ(run.at(1).flag, '9');
  EXPECT_EQ(run.at(1).operand_count(), 3);
  EXPECT_EQ(run.at(2), diag("B field not allowed", 2));
  EXPECT_EQ(run.at(3).width, 5);
}

TEST(MachineInstruction, BranchWithTwoOperandsAgainstDirectBranch) {
  // B in columns 16-18: the second operand is the d-modifier.
  EXPECT_EQ(one(card("", "B", "LOOP,3")), rec("", card("", "B", "LOOP,3"), 0, 333, 5, ' ',
                                              {opnd(OperandKind::Symbolic, 1, 0, ' ', "LO", "LOOP"), opnd(OperandKind::Actual, 3, 0, ' ', "3")}));
  // B written directly in column 19: both operands are addresses.
  Pass1Run direct(deck({card("", "   B", "LOOP,X"), card("", "END")}));
  EXPECT_EQ(direct.at(0).width, 7);
  EXPECT_EQ(direct.at(0).operand(2), opnd(OperandKind::Symbolic, 2, 0, ' ', "X", "X"));
}

TEST(MachineInstruction, DirectDModifierBecomesAnOperand) {
  const Operand dmod = opnd(OperandKind::Symbolic, 0, 0, ' ', "X");
  EXPECT_EQ(one(card("", "   MX", "A,B")),
            rec("", card("", "   MX", "A,B"), 0, 333, 8, ' ',
                {opnd(OperandKind::Symbolic, 1, 0, ' ', "A", "A"), opnd(OperandKind::Symbolic, 2, 0, ' ', "B", "B"), dmod}));

  // Four operands and column 20: the list grows to five and the record
  // carries the fifth group on a continuation line.
  Pass1Run run(deck({card("", "   MX", "A,B,C,D"), card("", "END")}));
  EXPECT_EQ(run.at(0), diag("D field not allowed", 1));
  const Record r = run.at(1);
  ASSERT_EQ(r.operand_count(), 5);
  EXPECT_EQ(r.operand(5), dmod);
  EXPECT_EQ(r.width, 8);
  EXPECT_NE(format_record(r).find('\n'), std::string::npos);
}

TEST(MachineInstruction, DModifierOperands) {
  EXPECT_EQ(one(card("", "CC", "1")), rec("", card("", "CC", "1"), 0, 333, 2, ' ', {opnd(OperandKind::Actual, 1, 0, ' ', "1")}));

  Pass1Run run(deck({card("", "CC", "12"), card("", "MCW", "A,B,C,D,E"), card("", "END")}));
  // A failed d-modifier is no d-modifier: the required one is missing too.
  const std::vector<Record> expected = {
      diag("D modifier must be a single character", 1),
      diag("D field required", 1),
      rec("", card("", "CC", "12"), 0, 333, 1, '9', {opnd(OperandKind::Actual, 12, 0, ' ', "12")}),
      diag("Too many operands", 2),
  };
  const std::vector<Record> all = run.records();
  EXPECT_EQ(std::vector<Record>(all.begin(), all.begin() + 4), expected);
  EXPECT_EQ(run.at(4).width, 8);
  EXPECT_EQ(run.at(4).operand_count(), 4);
}

TEST(MachineInstruction, OperandErrorsKeepTheWidthSoFar) {
  Pass1Run run(deck(
      {card("L1", "B", "A&Q"), card("", "MCW", "@"), card("", "BBE", "A"), card("", "MCW", "A,@"), card("", "END")}));
  const std::vector<Record> expected = {
      diag("Index must be X[0-3]", 1, false, 1),
      diag("A field required", 1),  // the failed operand counts as absent
      rec("", card("L1", "B", "A&Q"), 1, 333, 1, '9'),
      diag("Bad A field", 2),
      rec("", card("", "MCW", "@"), 0, 334, 1, '9'),
      diag("B field required", 3),
      diag("D field required", 3),
      rec("", card("", "BBE", "A"), 0, 335, 4, '9', {opnd(OperandKind::Symbolic, 2, 0, ' ', "A", "A")}),
      diag("Bad B field", 4),
      rec("", card("", "MCW", "A,@"), 0, 339, 4, '9',
          {opnd(OperandKind::Symbolic, 2, 0, ' ', "A", "A"), opnd(OperandKind::Other, 0, 0, ' ', "@")}),
      rec("", card("", "END"), 0, 343, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym("L1"), 333);
}

}  // namespace
}  // namespace velumar
