// The pass-1 statement loop: comment cards, the label field, operation
// lookup, the common end, the storage limit and the end of a job.
#include "pass1/pass1.h"

#include <gtest/gtest.h>

#include "pass1/pass1_test_support.h"

namespace velumar {
namespace {

using namespace p1test;  // card images, records and the in-memory run

TEST(Pass1Loop, CommentsLabelsAndTheirDiagnostics) {
  std::string junk = card("LAB", "NOP");
  junk[12] = 'X';  // column 13
  Pass1Run run(deck({"     * A COMMENT", card("START", "A"), junk, card("=", "NOP"), card("", "END")}));

  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.had_cards);
  const std::vector<Record> expected = {
      rec("", "     * A COMMENT", 0, 0, 0),
      rec("", card("START", "A"), 1, 333, 1),
      diag("Junk after the label, or in CC 12-15", 3, true),
      rec("", junk, 2, 334, 1, '2'),
      diag("Invalid label", 4),
      rec("", card("=", "NOP"), 0, 335, 1, '2'),
      rec("", card("", "END"), 0, 336, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym("LAB"), 334);  // a warning still defines the label
  EXPECT_EQ(run.out.str(), "    3: Junk after the label, or in CC 12-15\n    4: Invalid label\n");
  EXPECT_EQ(run.ctx.diag.errors_in_job(), 1);  // the warning is not counted
}

TEST(Pass1Loop, DuplicateLabelsKeepTheFirstDefinition) {
  Pass1Run run(deck({card("", "SFX", "Q"), card("AB", "A"), card("AB", "DCW", "@XY@"), card("ABCDEF", "DS", "2"),
                     card("ABCDEF", "ORG", "600"), card("", "END")}));
  const std::vector<Record> expected = {
      rec("", card("", "SFX", "Q"), 0, 333, 0),
      rec("", card("AB", "A"), 1, 333, 1),
      diag("Label ABQ is a duplicate", 3),
      rec("", card("AB", "DCW", "@XY@"), 1, 334, 2, '2', {opnd(OperandKind::CharLit, 0, 0, ' ', "@X")}),
      rec("", card("ABCDEF", "DS", "2"), 2, 336, 2),
      diag("Label ABCDEF is a duplicate", 5),
      rec("", card("ABCDEF", "ORG", "600"), 2, 338, 0, '2', {opnd(OperandKind::Actual, 600, 0, ' ', "60")}),
      rec("", card("", "END"), 0, 600, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym("ABQ"), 333);
  EXPECT_EQ(run.sym("ABCDEF"), 337);
  EXPECT_EQ(run.out.str(), "    3: Label ABQ is a duplicate\n    5: Label ABCDEF is a duplicate\n");
}

TEST(Pass1Loop, UnrecognizedOpIsDroppedAndCommentsKeepTheFieldSequence) {
  Pass1Run run(
      deck({card("", "DA", "2X10"), card("X", "FOO", "1"), "     * NOTE", card("F", "", "5"), card("", "END")}));

  const std::vector<Record> expected = {
      rec("", card("", "DA", "2X10"), 0, 333, 20, ' ', {opnd(OperandKind::Actual, 2), opnd(OperandKind::Actual, 10), opnd(OperandKind::DaOpt, 0)}),
      diag("Unrecognized op code", 2),
      rec("", "     * NOTE", 0, 0, 0),
      rec("SBFLD", card("F", "", "5"), 1, 337, 0, ' ', {opnd(OperandKind::Actual, 5, 0, ' ', "5")}),
      rec("", card("", "END"), 0, 353, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym_index("X"), -1);
}

TEST(Pass1Loop, BlankOperationField) {
  // Right after a machine instruction it is a field card out of place...
  Pass1Run after_op(deck({card("", "A"), card("", "", "5"), card("", "END")}));
  EXPECT_EQ(after_op.at(1), diag("Previous OP code not DA", 2));
  EXPECT_EQ(after_op.at(2), rec("", card("", "", "5"), 0, 334, 0, '5'));

  // ...while as the very first card of a run it is a direct instruction
  // with a blank operation character.
  Pass1Run first(deck({card("FIRST", ""), card("", "END")}));
  EXPECT_EQ(first.at(0), rec("", card("FIRST", ""), 1, 333, 1));
  EXPECT_EQ(first.at(1).location, 334);
}

TEST(Pass1Loop, InputEndingWithoutEnd) {
  Pass1Run run(deck({card("", "A"), card("", "B", "X")}));
  EXPECT_LT(run.status, 0);
  EXPECT_TRUE(run.had_cards);
  ASSERT_EQ(run.records().size(), 2u);
  EXPECT_EQ(run.at(1).location, 334);
}

TEST(Pass1Loop, TrailingBlankAndCommentCardsFormNoJob) {
  Pass1Run run(deck({card("", "A"), card("", "END"), "", "   ", "     * TRAILER", ""}));
  ASSERT_EQ(run.status, 0);
  const std::vector<Record> first_job = run.records();

  EXPECT_LT(run.next_job(), 0);
  EXPECT_FALSE(run.had_cards);
  EXPECT_EQ(run.records(), first_job);  // the last job's records stay
  EXPECT_EQ(run.out.str(), "");

  Pass1Run empty("");
  EXPECT_LT(empty.status, 0);
  EXPECT_FALSE(empty.had_cards);
  EXPECT_TRUE(empty.records().empty());
}

TEST(Pass1Loop, BlankCardsBeforeAStatementAreProcessed) {
  Pass1Run run(deck({card("", "END"), "", card("", "A"), card("", "END")}));
  ASSERT_EQ(run.next_job(), 0);
  // The operation carried from the previous job's END: a field card with no DA.
  const std::vector<Record> expected = {
      diag("Previous OP code not DA", 1),
      rec("", "", 0, 333, 0, '5'),
      rec("", card("", "A"), 0, 333, 1),
      rec("", card("", "END"), 0, 334, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
}

TEST(Pass1Loop, EachJobStartsAfreshButKeepsTheSuffix) {
  Pass1Run run(deck(
      {card("", "SFX", "Q"), card("AB", "DCW", "@XY@"), card("", "END"), card("AB", "DCW", "@XY@"), card("", "END")}));
  EXPECT_EQ(run.sym("ABQ"), 334);
  ASSERT_EQ(run.next_job(), 0);
  EXPECT_EQ(run.ctx.symtab.size(), 1);
  EXPECT_EQ(run.sym("ABQ"), 334);  // P restarted at 333
  EXPECT_EQ(run.at(0), rec("", card("AB", "DCW", "@XY@"), 1, 333, 2, ' ', {opnd(OperandKind::CharLit, 0, 0, ' ', "@X")}));
  EXPECT_EQ(run.ctx.reader.line_no(), 2);
}

TEST(Pass1Loop, StorageLimit) {
  auto exceeded = [](const std::vector<std::string>& cards) {
    Pass1Run run(deck(cards));
    return run.out.str().find("CORE STORAGE EXCEEDED") != std::string::npos;
  };
  // A program whose last statement ends exactly at 15999 fits.
  EXPECT_FALSE(exceeded({card("", "ORG", "15990"), card("", "DS", "10"), card("", "END")}));
  EXPECT_TRUE(exceeded({card("", "ORG", "15990"), card("", "DS", "11"), card("", "END")}));
  // The location counter may reach 16000 but not pass it.
  EXPECT_FALSE(exceeded({card("", "ORG", "16000"), card("", "END")}));
  EXPECT_TRUE(exceeded({card("", "ORG", "16001"), card("", "END")}));
  // A constant at an explicit location is judged by where it lies.
  EXPECT_FALSE(exceeded({card("15999", "DCW", "@ABCDE@"), card("", "END")}));
  // The final literal pool counts too.
  EXPECT_FALSE(exceeded({card("", "ORG", "15990"), card("", "A", "@XYZ@"), card("", "ORG", "15997"), card("", "END")}));
  EXPECT_TRUE(exceeded({card("", "ORG", "15990"), card("", "A", "@XYZ@"), card("", "ORG", "15998"), card("", "END")}));

  // Reported once, at the end, after the END record.
  Pass1Run run(deck({card("", "ORG", "15995"), card("", "DS", "10"), card("", "DS", "10"), card("", "END")}));
  ASSERT_EQ(run.records().size(), 5u);
  EXPECT_EQ(run.at(4), diag("CORE STORAGE EXCEEDED", 4));
  EXPECT_EQ(run.out.str(), "    4: CORE STORAGE EXCEEDED\n");
}

}  // namespace
}  // namespace velumar
