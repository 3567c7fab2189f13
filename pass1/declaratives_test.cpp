// Declaratives in pass 1: DA and field cards, DC/DCW, DS, DSA and EQU.
#include <gtest/gtest.h>

#include "pass1/pass1_test_support.h"
#include "tables/literals.h"

namespace velumar {
namespace {

using namespace p1test;  // card images, records and the in-memory run

std::vector<Operand> da_ops(int nrecs, int recsiz, std::string_view options = "", char index = ' ') {
  return {opnd(OperandKind::Actual, nrecs), opnd(OperandKind::Actual, recsiz), opnd(OperandKind::DaOpt, 0, 0, index, "  ", options)};
}

TEST(DefineArea, AreaAndItsFieldCards) {
  Pass1Run run(deck({card("", "ORG", "500"), card("AREA", "DA", "2X30"), card("NAME", "", "1,20"),
                     card("CODE", "", "5"), card("", "END")}));
  const std::vector<Record> expected = {
      rec("", card("", "ORG", "500"), 0, 333, 0, ' ', {opnd(OperandKind::Actual, 500, 0, ' ', "50")}),
      rec("", card("AREA", "DA", "2X30"), 1, 500, 60, ' ', da_ops(2, 30)),
      rec("FIELD", card("NAME", "", "1,20"), 2, 519, 0, ' ', {opnd(OperandKind::Actual, 1, 0, ' ', "1"), opnd(OperandKind::Actual, 20, 0, ' ', "20")}),
      rec("SBFLD", card("CODE", "", "5"), 3, 504, 0, ' ', {opnd(OperandKind::Actual, 5, 0, ' ', "5")}),
      rec("", card("", "END"), 0, 560, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.sym("AREA"), 500);
  EXPECT_EQ(run.sym("NAME"), 519);
  EXPECT_EQ(run.sym("CODE"), 504);
}

TEST(DefineArea, Options) {
  auto da = [](std::string_view operand) { return Pass1Run(deck({card("", "DA", operand), card("", "END")})).at(0); };
  EXPECT_EQ(da("3X10,G").width, 31);
  EXPECT_EQ(da("3X10,'").width, 33);
  EXPECT_EQ(da("3X10,G,|").width, 34);  // both host forms of the record mark
  EXPECT_EQ(da("3X10,C,G,',X1"), rec("", card("", "DA", "3X10,C,G,',X1"), 0, 333, 34, ' ', da_ops(3, 10, "CG'", '1')));
  EXPECT_EQ(da("3X10,X1,X3").operand(3).index_reg, '3');  // a later X option wins
  EXPECT_EQ(da("3X10,$").flag, ' ');               // other special characters are passed over

  Pass1Run fields(deck({card("A", "DA", "2X30,X2"), card("F", "", "1,5"), card("", "END")}));
  EXPECT_EQ(fields.ctx.symtab[fields.sym_index("A")].index_reg, 2);
  EXPECT_EQ(fields.ctx.symtab[fields.sym_index("F")].index_reg, 2);
}

TEST(DefineArea, ErrorsCarryCodesWithoutMessages) {
  Pass1Run run(
      deck({card("BAD", "DA", "2Y30"), card("OPT", "DA", "2X30,Q"), card("TWICE", "DA", "2X30,C,C"), card("", "END")}));
  const std::vector<Record> expected = {
      rec("", card("BAD", "DA", "2Y30"), 0, 333, 0, '4', da_ops(1, 1)),
      rec("", card("OPT", "DA", "2X30,Q"), 0, 333, 60, '9', da_ops(2, 30)),
      rec("", card("TWICE", "DA", "2X30,C,C"), 0, 393, 60, '9', da_ops(2, 30, "C")),
      rec("", card("", "END"), 0, 453, 0, ' ', {opnd(OperandKind::Actual, 0)}),
  };
  EXPECT_EQ(run.records(), expected);
  EXPECT_EQ(run.ctx.symtab.size(), 0);
  EXPECT_EQ(run.out.str(), "");
}

TEST(DefineArea, NumericLabelGivesAnExplicitOrigin) {
  Pass1Run run(deck({card("2000", "DA", "2X30"), card("F", "", "1,20"), card("3000", "DA", "2X30,Q"), card("", "A"),
                     card("", "END")}));
  EXPECT_EQ(run.at(0), rec("", card("2000", "DA", "2X30"), -2000, 2000, 60, ' ', da_ops(2, 30)));
  EXPECT_EQ(run.at(1).location, 2019);
  EXPECT_EQ(run.sym("F"), 2019);
  // The origin is recorded even after an option error.
  EXPECT_EQ(run.at(2).origin, 3000);
  EXPECT_EQ(run.at(3).location, 333);  // the location counter never moved
}

TEST(DefineArea, HugeNumbersSaturate) {
  Pass1Run run(deck({card("", "DA", "99999999999X99999999999"), card("", "END")}));
  EXPECT_EQ(run.at(0), rec("", card("", "DA", "99999999999X99999999999"), 0, 333, 999999, ' ', da_ops(999999, 999999)));
  EXPECT_EQ(run.at(1).location, 333 + 999999);
  EXPECT_EQ(run.at(2), diag("CORE STORAGE EXCEEDED", 2));
}

TEST(DefineArea, FieldCardErrors) {
  Pass1Run run(deck({card("", "DA", "1X50"), card("N", "", "X"), card("M", "", "1,X"), card("", "END")}));
  EXPECT_EQ(run.at(1), rec("", card("N", "", "X"), 0, 383, 0, '9', {opnd(OperandKind::Symbolic, 1, 0, ' ', "X", "X")}));
  EXPECT_EQ(run.at(2).kind, RecordKind::Subfield);
  EXPECT_EQ(run.at(2).location, 333);  // the first number still gives the field
  EXPECT_EQ(run.at(2).flag, '9');
  EXPECT_EQ(run.sym_index("N"), -1);
  EXPECT_EQ(run.sym_index("M"), -1);
}

TEST(Constants, DcAndDcw) {
  Pass1Run run(deck({card("900", "DCW", "@ABCDE@"), card("LAB", "DC", "12345"), card("", "DCW", "&@TEXT@"),
                     card("", "DC", "&NAME&5"), card("", "DC", "#5"), card("", "END")}));
  EXPECT_EQ(run.at(0), rec("", card("900", "DCW", "@ABCDE@"), -896, 900, 5, ' ', {opnd(OperandKind::CharLit, 0, 0, ' ', "@A")}));
  EXPECT_EQ(run.at(1), rec("", card("LAB", "DC", "12345"), 1, 333, 5, ' ', {opnd(OperandKind::Actual, 0, 0, ' ', "12")}));
  EXPECT_EQ(run.sym("LAB"), 337);

  // The address of a literal: the literal is exactly the text between "@"s.
  EXPECT_EQ(run.at(2), rec("", card("", "DCW", "&@TEXT@"), 0, 338, 3, ' ', {opnd(OperandKind::AdconLit, 1, 0, ' ', "&")}));
  ASSERT_GE(run.ctx.literals.count(), 1);
  EXPECT_EQ(run.ctx.literals[1].kind, LiteralKind::CharLit);
  EXPECT_EQ(run.ctx.literals[1].width, 4);
  EXPECT_EQ(rtrim(run.ctx.literals[1].text), "TEXT");

  EXPECT_EQ(run.at(3), rec("", card("", "DC", "&NAME&5"), 0, 341, 3, ' ',
                           {opnd(OperandKind::AddrCon, run.sym_index("NAME"), 5, ' ', "&", "NAME")}));
  EXPECT_EQ(run.at(4), rec("", card("", "DC", "#5"), 0, 344, 5, ' ', {opnd(OperandKind::BlankCon, 0, 0, ' ', "#")}));
}

TEST(Constants, ImproperOrMissingOperandHasNoWidth) {
  Pass1Run run(
      deck({card("A", "DC", "*"), card("B", "DCW", "%U1"), card("", "DCW", "5A"), card("", "A"), card("", "END")}));
  EXPECT_EQ(run.at(0), diag("Improper operand for DC", 1));
  EXPECT_EQ(run.at(1).width, 0);
  EXPECT_EQ(run.at(2), diag("Improper operand for DCW", 2));
  EXPECT_EQ(run.at(3).width, 0);
  // The operand dropped by the parser counts as absent.
  EXPECT_EQ(run.at(4), diag("Offset or indexed name must be last thing in operand", 3, false, 1));
  EXPECT_EQ(run.at(5), rec("", card("", "DCW", "5A"), 0, 333, 0, '9'));
  EXPECT_EQ(run.at(6).location, 333);
}

TEST(Constants, ExplicitLocationTheRecordCannotCarry) {
  // IXLAB holds minus the location and 0 means "no label": a constant that
  // would start at 0 or below is flagged and placed at the location counter.
  Pass1Run run(deck({card("2", "DCW", "@ABCDE@"), card("0", "DSA", "*"), card("", "A"), card("", "END")}));
  EXPECT_EQ(run.at(0), rec("", card("2", "DCW", "@ABCDE@"), 0, 333, 5, '9', {opnd(OperandKind::CharLit, 0, 0, ' ', "@A")}));
  EXPECT_EQ(run.at(1), rec("", card("0", "DSA", "*"), 0, 338, 3, '9', {opnd(OperandKind::Asterisk, 340)}));
  EXPECT_EQ(run.at(2).location, 341);
}

TEST(Constants, DsAndDsa) {
  Pass1Run run(deck({card("EMPTY", "DS", "0"), card("", "DS", "X"), card("JUNK", "DS", "5X"), card("", "ORG", "1000"),
                     card("HERE", "DSA", "*"), card("2000", "DSA", "*"), card("", "DSA", "SYM&5"),
                     card("", "DSA", "-25"), card("", "DSA", "&SYM&X1"), card("", "END")}));
  EXPECT_EQ(run.sym("EMPTY"), 332);
  EXPECT_EQ(run.at(1), diag("Operand of DS must be a number", 2));
  EXPECT_EQ(run.at(2), rec("", card("", "DS", "X"), 0, 333, 0, '9'));
  EXPECT_EQ(run.at(3), diag("Junk after the number in a DS", 3));
  EXPECT_EQ(run.at(4).width, 5);
  EXPECT_EQ(run.sym_index("JUNK"), -1);

  EXPECT_EQ(run.at(6), rec("", card("HERE", "DSA", "*"), 2, 1000, 3, ' ', {opnd(OperandKind::Asterisk, 1002)}));
  EXPECT_EQ(run.sym("HERE"), 1002);
  // At an explicit location, "*" is the constant's own rightmost position
  // and the location counter stays.
  EXPECT_EQ(run.at(7), rec("", card("2000", "DSA", "*"), -2000, 2000, 3, ' ', {opnd(OperandKind::Asterisk, 2002)}));
  const int sym = run.sym_index("SYM");
  EXPECT_EQ(run.at(8), rec("", card("", "DSA", "SYM&5"), 0, 1003, 3, ' ', {opnd(OperandKind::Symbolic, sym, 5, ' ', "", "SYM")}));
  EXPECT_EQ(run.at(9).operand(1), opnd(OperandKind::Actual, -25));
  EXPECT_EQ(run.at(10),
            rec("", card("", "DSA", "&SYM&X1"), 0, 1009, 3, ' ', {opnd(OperandKind::Symbolic, sym, 0, '1', "", "SYM")}));
}

TEST(Constants, DsaErrors) {
  Pass1Run run(deck({card("", "DSA", "-NEG"), card("", "DSA", "SYM&5X"), card("", "DSA", "SYM)"), card("", "DSA", "@"),
                     card("", "DSA", "-@"), card("", "END")}));
  // A negative name: flagged without a message, the name still registered.
  EXPECT_EQ(run.at(0).flag, '9');
  EXPECT_GT(run.sym_index("NEG"), 0);
  EXPECT_EQ(run.at(1), diag("Junk after the operand for DSA", 2));
  EXPECT_EQ(run.at(3), diag("Junk after operand for DSA", 3));
  EXPECT_EQ(run.at(5), diag("Improper operand for DSA", 4));
  EXPECT_EQ(run.at(7), diag("Improper operand for DSA", 5));
  EXPECT_EQ(run.at(8).location, 345);  // every DSA took 3 positions
}

TEST(Equate, ValuesAndIndexTags) {
  Pass1Run run(deck({card("A", "EQU", "100&X1"), card("", "ORG", "340"), card("HERE", "EQU", "*"),
                     card("FWD", "EQU", "LATER"), card("B", "EQU", "A&5"), card("C", "EQU", "A&X2"),
                     card("T", "EQU", "%U1"), card("LATER", "DCW", "@X@"), card("", "END")}));
  const auto& syms = run.ctx.symtab;
  EXPECT_EQ(run.at(0), rec("", card("A", "EQU", "100&X1"), 1, 0, 0, ' ', {opnd(OperandKind::Actual, 100, 0, '1', "10")}));
  EXPECT_EQ(syms[run.sym_index("A")].index_reg, 1);
  EXPECT_EQ(run.sym("HERE"), 339);
  EXPECT_EQ(run.sym("FWD"), std::nullopt);  // left for pass 2
  EXPECT_EQ(run.sym("B"), 105);
  EXPECT_EQ(syms[run.sym_index("B")].index_reg, 1);
  EXPECT_EQ(syms[run.sym_index("C")].index_reg, 2);
  EXPECT_EQ(run.sym("T"), 0);
  EXPECT_EQ(syms[run.sym_index("T")].device, "%U1");
  EXPECT_EQ(run.sym("LATER"), 340);
}

TEST(Equate, LabelsAndSuffix) {
  Pass1Run run(deck({card("", "SFX", "Q"), card("TAB", "DCW", "@X@"), card("ALIAS", "EQU", "TAB"), card("", "EQU", "5"),
                     card("123", "EQU", "5"), card("TWO", "EQU", "1,2"), card("", "END")}));
  // The parser has suffixed and registered TAB once: ALIAS gets its value.
  EXPECT_EQ(run.sym("ALIASQ"), 333);
  EXPECT_EQ(run.sym_index("TABQQ"), -1);
  // A blank label enters nothing, not even the suffix alone.
  EXPECT_FALSE(run.at(3).label);
  EXPECT_TRUE(run.at(3).unnamed_equ);
  EXPECT_EQ(format_record(run.at(3)).substr(85, 6), "    -1");
  EXPECT_EQ(run.sym_index("Q"), -1);
  EXPECT_EQ(run.at(4).flag, '9');
  EXPECT_EQ(run.at(5).flag, '9');
  EXPECT_EQ(run.out.str(), "");
}

}  // namespace
}  // namespace velumar
