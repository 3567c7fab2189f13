#include "tables/pass2.h"

#include <gtest/gtest.h>

#include <sstream>

#include "driver/context.h"
#include "driver/text.h"
#include "tables/pools.h"

namespace velumar {
namespace {

Operand opnd(int kind, int addr = 0, int offset = 0, char index = ' ') {
  Operand op;
  op.KIND = kind;
  op.ADDR = addr;
  op.OFFSET = offset;
  op.INDEX = index;
  return op;
}

// Builds the intermediate records of a program by hand, as pass 1 leaves them.
struct Program {
  std::ostringstream out;
  Context ctx{out};

  int ref(std::string_view name) { return ctx.symtab.enter(name, REF, 0).NUM; }
  int def(std::string_view name, int value) { return ctx.symtab.enter(name, value, 0).NUM; }
  int value(std::string_view name) { return ctx.symtab[ctx.symtab.lookup(name)].VALUE; }

  void add(std::string_view op, int ixlab, int width, std::vector<Operand> ops = {}, std::string_view why = "     ") {
    Record rec;
    rec.WHY = std::string(why);
    rec.LINE = pad(std::string(15, ' ') + std::string(op), 80);
    rec.IXLAB = ixlab;
    rec.WIDTH = width;
    rec.ops = std::move(ops);
    ctx.scratch.write(rec);
  }
  // A pool as pass 1 places it, writing its literal records.
  void pool(int P) { process_ltorg(ctx, P, true); }
};

TEST(Pass2, LabelsFollowTheLocationCounter) {
  Program p;
  p.add("ORG", 0, 0, {opnd(K_ACTUAL, 600)});
  p.add("MCW", p.ref("INSTR"), 7);
  p.add("DCW", p.ref("CONST"), 5);
  p.add("DS", p.ref("STORE"), 10);
  p.add("DSA", p.ref("ADDR"), 3);
  p.add("DC", -900, 4);  // at an explicit address: takes no space here
  p.add("MCW", 0, 1, {}, "GEN  ");
  p.add("END", 0, 1, {}, "GEN  ");  // a generated line is no END
  p.add("B", p.ref("NEXT"), 1);
  p.add("ORG", p.ref("ROUND"), 0, {opnd(K_ACTUAL, 1234, X00)});
  p.add("ORG", p.ref("KEEP"), 0, {opnd(K_ACTUAL, 1300, X00)});
  p.add("NOP", p.ref("LAST"), 1);

  EXPECT_EQ(pass_2(p.ctx), 1);
  EXPECT_EQ(p.value("INSTR"), 600);
  EXPECT_EQ(p.value("CONST"), 611);
  EXPECT_EQ(p.value("STORE"), 621);
  EXPECT_EQ(p.value("ADDR"), 624);
  EXPECT_EQ(p.value("NEXT"), 627);
  EXPECT_EQ(p.value("ROUND"), 628);
  EXPECT_EQ(p.value("KEEP"), 1300);
  EXPECT_EQ(p.value("LAST"), 1300);
  EXPECT_EQ(p.ctx.diag.N_ERRORS, 0);
}

TEST(Pass2, NothingForwardTakesOneSweep) {
  Program p;
  p.add("MCW", p.def("A", 333), 7);
  p.add("EQU", p.def("B", 5), 0, {opnd(K_ACTUAL, 5)});
  // A device EQU whose label was referenced first: its device comes here.
  const int tape = p.ref("TAPE");
  Operand dev = opnd(K_DEVICE);
  dev.LABEL = "%U1   ";
  p.add("EQU", p.def("TAPE", 0), 0, {dev});
  EXPECT_EQ(pass_2(p.ctx), 1);
  EXPECT_EQ(p.value("A"), 333);
  EXPECT_EQ(p.ctx.symtab[tape].DEV, "%U1");
  EXPECT_EQ(p.out.str(), "");
}

TEST(Pass2, EquChainTakesTwoSweeps) {
  Program p;
  const int a = p.ref("A"), b = p.ref("B"), c = p.ref("C");
  p.add("EQU", a, 0, {opnd(K_SYMBOLIC, b, 2, '1')});
  p.add("EQU", b, 0, {opnd(K_SYMBOLIC, c)});
  p.add("MCW", p.def("C", 700), 7);
  p.ctx.symtab[c].INDEX = 3;

  EXPECT_EQ(pass_2(p.ctx), 2);
  EXPECT_EQ(p.value("B"), 700);
  EXPECT_EQ(p.value("A"), 702);
  // The index tag goes with the value, as for a backward EQU.
  EXPECT_EQ(p.ctx.symtab[b].INDEX, 3);
  EXPECT_EQ(p.ctx.symtab[a].INDEX, 1);
  EXPECT_EQ(p.ctx.diag.N_ERRORS, 0);
}

TEST(Pass2, UnresolvableSymbolsReportedOnce) {
  Program p;
  const int a = p.ref("A"), b = p.ref("B"), c = p.ref("C");
  p.add("EQU", a, 0, {opnd(K_SYMBOLIC, b)});
  p.add("EQU", b, 0, {opnd(K_SYMBOLIC, a)});
  // A value beyond the undefined bound is no progress: the sweeps end.
  p.add("EQU", c, 0, {opnd(K_ASTERISK, 0, -999999)});
  EXPECT_EQ(pass_2(p.ctx), 1);
  EXPECT_EQ(p.ctx.diag.N_ERRORS, 1);
  EXPECT_NE(p.out.str().find("Undefined or unresolvable symbols"), std::string::npos);
  EXPECT_FALSE(is_defined(p.value("A")));
  EXPECT_FALSE(is_defined(p.value("B")));
  EXPECT_FALSE(is_defined(p.value("C")));
}

// ORG to a symbol defined further on: pass 1 leaves everything after it
// undetermined, pools included.
TEST(Pass2, OrgToLaterSymbolPlacesStatementsFieldsAndPools) {
  Program p;
  const int later = p.ref("LATER");
  p.add("ORG", 0, 0, {opnd(K_SYMBOLIC, later)});
  p.add("DA", p.ref("AREA"), 60, {opnd(K_ACTUAL, 2), opnd(K_ACTUAL, 30), opnd(K_DA_OPT)});
  p.add("", p.ref("NAME"), 0, {opnd(K_ACTUAL, 1), opnd(K_ACTUAL, 20)}, "FIELD");
  p.add("", p.ref("CODE"), 0, {opnd(K_ACTUAL, 5)}, "SBFLD");
  const int hello = p.ctx.literals.create_lit(L_CHAR_LIT, 5, "HELLO");
  p.ctx.literals.create_lit(L_AREA_DEF, 10, "WORKA ");
  p.add("LTORG", p.ref("POOL"), p.ctx.literals.NUM_LITS);
  p.pool(-60000 + 60);
  p.add("MCW", p.ref("AFTER"), 7);
  p.ctx.literals.create_lit(L_AREA_DEF, 4, "WORKB ");
  p.ctx.literals.create_lit(L_AREA_DEF, 3, "WORKC ");
  p.pool(-60000 + 82);  // the EX pool precedes the EX record
  p.add("EX", 0, p.ctx.literals.NUM_LITS, {opnd(K_ACTUAL)});
  p.add("EQU", p.def("LATER", 500), 0, {opnd(K_ACTUAL, 500)});

  EXPECT_EQ(pass_2(p.ctx), 1);
  EXPECT_EQ(p.value("AREA"), 500);
  EXPECT_EQ(p.value("NAME"), 519);
  EXPECT_EQ(p.value("CODE"), 504);
  EXPECT_EQ(p.value("POOL"), 560);
  EXPECT_EQ(p.ctx.literals[hello].ADDR, 564);
  EXPECT_EQ(p.value("WORKA"), 574);
  EXPECT_EQ(p.value("AFTER"), 575);
  EXPECT_EQ(p.value("WORKB"), 585);
  EXPECT_EQ(p.value("WORKC"), 588);
  EXPECT_EQ(p.ctx.diag.N_ERRORS, 0);
}

TEST(Pass2, SecondSweepPlacesPoolsWhereTheFirstDid) {
  Program p;
  p.ctx.traces.letters = "P";
  const int a = p.ref("A"), b = p.ref("B");
  p.add("EQU", a, 0, {opnd(K_SYMBOLIC, b)});
  p.add("EQU", b, 0, {opnd(K_SYMBOLIC, p.ref("C"))});
  p.ctx.literals.create_lit(L_CHAR_LIT, 3, "ABC");
  p.add("MCW", p.def("X", 333), 7);
  p.ctx.literals.create_lit(L_AREA_DEF, 6, "AREA  ");
  p.add("LTORG", 0, p.ctx.literals.NUM_LITS);
  p.pool(340);
  p.add("MCW", p.def("C", 349), 7);
  p.ctx.literals.create_lit(L_NUM_LIT, 2, "12");
  p.pool(356);
  p.add("END", 0, p.ctx.literals.NUM_LITS, {opnd(K_ACTUAL)});
  p.out.str("");

  EXPECT_EQ(pass_2(p.ctx), 2);
  EXPECT_EQ(p.value("A"), 349);
  const std::string trace = p.out.str();
  const std::size_t half = trace.size() / 2;
  EXPECT_EQ(trace.substr(0, half), trace.substr(half));
  EXPECT_NE(trace.find("Literals( 2)addr = 348"), std::string::npos);
  EXPECT_NE(trace.find("Literals( 3)addr = 357"), std::string::npos);
}

TEST(Pass2, DuplicateAreaLabelKeepsItsFirstValue) {
  Program p;
  const int dup = p.def("DUP", 400);
  p.ctx.literals.create_lit(L_AREA_DEF, 5, "DUP   ");
  p.add("LTORG", 0, 1);
  p.pool(333);
  EXPECT_EQ(p.ctx.diag.N_ERRORS, 1);
  pass_2(p.ctx);
  EXPECT_EQ(p.ctx.symtab[dup].VALUE, 400);
}

}  // namespace
}  // namespace velumar
