#include "tables/layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "ir/operand_test_support.h"

namespace velumar::layout {
namespace {

TEST(Layout, OriginsSaturateAndRoundAlike) {
  struct Case {
    Operand first;
    int p;
    std::optional<int> target;
    int want;
  };
  const Case cases[] = {
      {x00(opnd(OperandKind::Actual, 1234, 0)), 500, std::nullopt, 1300},
      {x00(opnd(OperandKind::Actual, 1300, 0)), 500, std::nullopt, 1300},
      {opnd(OperandKind::Asterisk, 0, 10), 500, std::nullopt, 510},
      {x00(opnd(OperandKind::Symbolic, 7, 0)), 500, -400, -400},  // below 0 a multiple of 100 stays
      {x00(opnd(OperandKind::Symbolic, 7, 0)), 500, -401, -400},
      {opnd(OperandKind::Symbolic, 7, 5), 500, std::nullopt, kUndefinedOrg + 5},
      {opnd(OperandKind::Actual, 999'999'999, 999'999), 0, std::nullopt, static_cast<int>(kLocationBound)},
      {opnd(OperandKind::Asterisk, 0, -999'999), -static_cast<int>(kLocationBound), std::nullopt,
       -static_cast<int>(kLocationBound)},
  };
  for (const Case& c : cases) EXPECT_EQ(origin(c.first, c.p, c.target), c.want) << static_cast<int>(c.first.kind) << " " << c.p;
  EXPECT_EQ(advance(static_cast<int>(kLocationBound), 999'999), kLocationBound);
  EXPECT_EQ(label_value(333, 5, true), 337);
  EXPECT_EQ(label_value(333, 5, false), 333);
  EXPECT_EQ(leftmost(337, 5), 333);
}

TEST(Layout, LogNamesTheFirstRecordWherePassesDisagree) {
  LocationLog log;
  log.begin_job();
  for (int pass = 1; pass <= 3; ++pass) log.placed(pass, 0, 333);
  log.placed(1, 1, 340);  // reported by pass 1 only: not compared
  // Below 0 all agree; where pass 1 cannot know, passes 2 and 3 decide.
  for (int pass = 1; pass <= 3; ++pass) log.placed(pass, 2, pass == 3 ? -30000 + 7 : -60000 + 7);
  log.unknown_to_pass_1(3);
  for (int pass = 2; pass <= 3; ++pass) log.placed(pass, 3, 2445);
  EXPECT_EQ(log.disagreement(), "");
  log.placed(1, 3, -9975);
  EXPECT_NE(log.disagreement(), "");
  log.unknown_to_pass_1(3);
  log.begin_job();
  for (int pass = 1; pass <= 3; ++pass) log.placed(pass, 2, pass == 2 ? 401 : 400);
  EXPECT_EQ(log.compared(), 4u);
  EXPECT_EQ(log.disagreement(),
            "job 2, record 2: the location counter is 400 after pass 1, 401 after pass 2, 400 after pass 3");
}

// One rule for every record: where the counter stands after each of a
// small program, placed from the start.
TEST(Layout, PlaceMovesTheCounterByKindAndOperation) {
  SymbolTable symbols;
  const int later = symbols.reference("LATER");
  const int there = symbols.enter("THERE", 2000, 0, "   ").index;
  struct Case {
    RecordKind kind;
    Op op;
    int width;
    std::vector<Operand> ops;
    std::optional<int> origin;
    int next;
    bool forward = false;
  };
  const Case cases[] = {
      {RecordKind::Statement, Op::Direct, 7, {}, std::nullopt, 340},
      {RecordKind::Statement, Op::Dcw, 5, {}, 900, 340},           // at its explicit origin: the counter stays
      {RecordKind::Literal, Op::Dcw, 3, {}, std::nullopt, 343},    // a pool record
      {RecordKind::Statement, Op::Ex, 4, {}, std::nullopt, 343},   // its pool came first; the width counts literals
      {RecordKind::Macro, Op::Chain, 5, {}, std::nullopt, 343},
      {RecordKind::Generated, Op::A, 1, {}, std::nullopt, 344},
      {RecordKind::Field, Op::Direct, 0, {}, std::nullopt, 344},
      {RecordKind::Statement, Op::Org, 0, {x00(opnd(OperandKind::Actual, 450, 0))}, std::nullopt, 500},
      {RecordKind::Statement, Op::Ltorg, 2, {opnd(OperandKind::Symbolic, there, 5)}, std::nullopt, 2005},
      {RecordKind::Statement, Op::Org, 0, {opnd(OperandKind::Symbolic, later)}, std::nullopt, kUndefinedOrg, true},
      {RecordKind::Statement, Op::Equ, 0, {opnd(OperandKind::Asterisk)}, std::nullopt, kUndefinedOrg},
  };
  RecordStore records;
  for (const Case& c : cases) {
    Record r = make_record(c.kind, "", std::nullopt, 0, c.width, ' ', c.ops, c.origin);
    r.op = c.op;
    records.append(r, 0);
  }
  place_all(records, symbols);
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records.next(i), cases[i].next) << "record " << i;
    EXPECT_EQ(records.forward(i), cases[i].forward) << "record " << i;
  }
}

}  // namespace
}  // namespace velumar::layout
