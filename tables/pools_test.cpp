#include "tables/pools.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "driver/context.h"
#include "core/text.h"
#include "frontend/opcodes.h"
#include "ir/operand_test_support.h"
#include "ir/record_test_support.h"

namespace velumar {
namespace {

std::string dcw(std::string_view label, std::string_view operand) {
  return pad("     " + pad(label, 10) + "DCW  " + std::string(operand), 80);
}

// Places the pending pool as pass 1 does (emit true) or pass 2 does.
int place(Context& ctx, int p, bool emit, std::optional<int> up_to = std::nullopt) {
  return process_ltorg({ctx.literals, ctx.symtab, ctx.reporting}, p, emit ? &ctx.scratch : nullptr, up_to);
}

// The record of literal `literal`, as its text form reads.
Record rec(int literal, std::string_view why, std::string line, int ixlab, int p, int width, Operand op,
           char code = ' ') {
  Record r = make_record(*record_kind(why), line, symbol_index(ixlab), p, width, code, {op});
  r.op = card_op(r.card);
  r.literal = literal;
  return with_sign(r);
}

TEST(Pools, LiteralsFollowEachOtherWithoutGaps) {
  std::ostringstream out;
  Context ctx(out);
  const int a = ctx.literals.create_lit(LiteralKind::CharLit, 5, "HELLO");
  const int b = ctx.literals.create_lit(LiteralKind::CharLit, 1, "X");
  const int c = ctx.literals.create_lit(LiteralKind::NumLit, 3, "-25", 0, '2');
  int P = 500;
  P = place(ctx, P, true);

  EXPECT_EQ(ctx.literals[a].address, 504);
  EXPECT_EQ(ctx.literals[b].address, 505);
  EXPECT_EQ(ctx.literals[c].address, 508);
  EXPECT_EQ(P, 509);
  EXPECT_EQ(ctx.literals.last_pool_start(), 4);
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0], rec(a, "LIT  ", dcw("", "@HELLO@"), 0, 500, 5, opnd(OperandKind::CharLit, 0)));
  EXPECT_EQ(recs[1], rec(b, "LIT  ", dcw("", "@X@"), 0, 505, 1, opnd(OperandKind::CharLit, 0)));
  EXPECT_EQ(recs[2], rec(c, "LIT  ", dcw("", "-25"), 0, 506, 3, opnd(OperandKind::Actual, 0, 0, '2')));

  // The next pool is empty: nothing written, P kept.
  P = place(ctx, P, true);
  EXPECT_EQ(P, 509);
  EXPECT_EQ(recs.size(), 3u);
  EXPECT_EQ(ctx.literals.last_pool_start(), 4);
}

TEST(Pools, AreaLiteralsDefineTheirLabels) {
  std::ostringstream out;
  Context ctx(out);
  ctx.literals.create_lit(LiteralKind::AreaDef, 12, "ALPHA ");
  ctx.literals.create_lit(LiteralKind::AreaDef, 5, "BETA  ");
  ctx.literals.create_lit(LiteralKind::AreaDef, 120, "GAMMA ");
  int P = 700;
  P = place(ctx, P, true);

  const int alpha = ctx.symtab.lookup("ALPHA");
  const int beta = ctx.symtab.lookup("BETA");
  const int gamma = ctx.symtab.lookup("GAMMA");
  EXPECT_EQ(ctx.symtab[alpha].value, 711);
  EXPECT_EQ(ctx.symtab[beta].value, 716);
  EXPECT_EQ(ctx.symtab[gamma].value, 836);
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0], rec(1, "AREA ", dcw("ALPHA", "#12"), alpha, 700, 12, opnd(OperandKind::AreaDef, 0)));
  EXPECT_EQ(recs[1], rec(2, "AREA ", dcw("BETA", "#05"), beta, 712, 5, opnd(OperandKind::AreaDef, 0)));
  // A width of three digits keeps all of them: the card must say what the pool holds.
  EXPECT_EQ(recs[2], rec(3, "AREA ", dcw("GAMMA", "#120"), gamma, 717, 120, opnd(OperandKind::AreaDef, 0)));
  EXPECT_EQ(out.str(), "");
}

TEST(Pools, AddressLiterals) {
  std::ostringstream out;
  Context ctx(out);
  const int name = ctx.symtab.enter("AB$   ", 900, 0).index;
  const int text = ctx.literals.create_lit(LiteralKind::CharLit, 3, "XYZ");
  const int adcon = ctx.literals.create_lit(LiteralKind::AdconLit, 3, "&@XYZ@", 0, '1');
  ctx.literals[adcon].target = text;
  // The symbol is found by its stored name, whatever characters it holds.
  ctx.literals.create_lit(LiteralKind::AddrCon, 3, "&AB$&5&X2", 5, '2', "AB$");
  ctx.literals.create_lit(LiteralKind::AddrCon, 3, "-NONE", 0, ' ', "NONE");
  ctx.diag.set_code(err::OpErr);
  int P = 400;
  P = place(ctx, P, true);

  EXPECT_EQ(ctx.literals[adcon].address, 405);
  EXPECT_EQ(ctx.literals[adcon].target, text);
  EXPECT_EQ(P, 412);
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  ASSERT_EQ(recs.size(), 4u);
  EXPECT_EQ(recs[1], rec(adcon, "LIT  ", dcw("", "+@XYZ@"), 0, 403, 3, opnd(OperandKind::AdconLit, text, 0, '1')));
  EXPECT_EQ(recs[2], rec(3, "ADCON", dcw("", "&AB$&5&X2"), 0, 406, 3, opnd(OperandKind::AddrCon, name, 5, '2')));
  EXPECT_EQ(recs[3], rec(4, "ADCON", dcw("", "-NONE"), 0, 409, 3, opnd(OperandKind::AddrCon, -1), err::SymErr));
  // The code of the statement that caused the pool is left alone.
  EXPECT_EQ(ctx.diag.code(), err::OpErr);
}

TEST(Pools, LongCharacterLiteralKeepsEveryCharacter) {
  std::ostringstream out;
  Context ctx(out);
  const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789ABCDEFGHIJKLMNOPQRSTUV";
  ASSERT_EQ(text.size(), 58u);
  const int lit = ctx.literals.create_lit(LiteralKind::CharLit, 58, text);
  const int adcon = ctx.literals.create_lit(LiteralKind::AdconLit, 3, "&@" + text.substr(0, 57) + "@");
  ctx.literals[adcon].target = ctx.literals.create_lit(LiteralKind::CharLit, 57, text.substr(0, 57));
  int P = 1000;
  P = place(ctx, P, true);
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  EXPECT_EQ(recs[0].card, dcw("", "@" + text + "@"));
  EXPECT_EQ(col(recs[0].card, 80), '@');
  EXPECT_EQ(recs[1].card, dcw("", "+@" + text.substr(0, 57) + "@"));
  EXPECT_EQ(ctx.literals[lit].address, 1057);
}

TEST(Pools, AreaLabelRepeatedOrAtUndeterminedLocation) {
  std::ostringstream out;
  Context ctx(out);
  ctx.historic.route_to(ErrorDest::Scratch);
  const int alpha = ctx.symtab.enter("ALPHA", 350, 0).index;
  ctx.literals.create_lit(LiteralKind::AreaDef, 4, "ALPHA ");
  ctx.literals.create_lit(LiteralKind::AreaDef, 10, "WORK  ");
  int P = 700;
  P = place(ctx, P, true);
  EXPECT_EQ(ctx.symtab[alpha].value, 350);
  EXPECT_EQ(ctx.diag.errors_in_job(), 1);
  const std::vector<Record> recs = all_records(ctx.scratch.records());
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(rtrim(recs[0].card), "******* Label ALPHA is a duplicate");
  EXPECT_EQ(recs[1], rec(1, "AREA ", dcw("ALPHA", "#04"), alpha, 700, 4, opnd(OperandKind::AreaDef, 0)));

  // An undetermined location defines nothing, so a repeat there is no duplicate.
  ctx.literals.create_lit(LiteralKind::AreaDef, 4, "ALPHA ");
  const int fresh_lit = ctx.literals.create_lit(LiteralKind::AreaDef, 10, "NEW   ");
  P = -60000;
  P = place(ctx, P, true);
  EXPECT_EQ(P, -59986);
  EXPECT_EQ(ctx.diag.errors_in_job(), 1);
  EXPECT_EQ(ctx.symtab[alpha].value, 350);
  EXPECT_EQ(ctx.literals[fresh_lit].address, -59987);
  const int fresh = ctx.symtab.lookup("NEW");
  EXPECT_FALSE(ctx.symtab[fresh].defined);
  const RecordStore& all = ctx.scratch.records();
  EXPECT_EQ(all[all.size() - 1].label, fresh);
}

TEST(Pools, SecondPassRebuildsOnlyUpToTheRecordedLiteral) {
  std::ostringstream out;
  Context ctx(out);
  const int a = ctx.literals.create_lit(LiteralKind::CharLit, 5, "HELLO");
  const int b = ctx.literals.create_lit(LiteralKind::AreaDef, 3, "AREA  ");
  int P = 500;
  P = place(ctx, P, true);
  const int later = ctx.literals.create_lit(LiteralKind::CharLit, 2, "ZZ");
  ctx.scratch.rewrite();

  ctx.literals.set_last_pool_start(1);
  P = 600;
  P = place(ctx, P, false, 2);
  EXPECT_EQ(P, 608);
  EXPECT_EQ(ctx.literals[a].address, 604);
  EXPECT_EQ(ctx.literals[b].address, 607);
  EXPECT_EQ(ctx.literals[later].address, 0);
  EXPECT_EQ(ctx.literals.last_pool_start(), 3);
  EXPECT_TRUE(ctx.scratch.records().empty());
  // Area labels are left to pass 2's own records.
  EXPECT_EQ(ctx.symtab[ctx.symtab.lookup("AREA")].value, 507);
}

TEST(Pools, Trace) {
  std::ostringstream out;
  Context ctx(out);
  ctx.traces.letters = "P";
  ctx.literals.create_lit(LiteralKind::CharLit, 2, "AB");
  int P = 500;
  P = place(ctx, P, false);
  EXPECT_EQ(out.str(),
            " Enter PROCESS_LTORG with P = 500 and EMIT = F to process 1 through 1\n"
            " Literals( 1)addr = 501, %kind = CHAR_LIT, %width = 2, %text = AB, %offset = 0\n"
            " Exit PROCESS_LTORG with P = 502\n");

  // The width is shown; for an address-of-literal, the target's index.
  out.str("");
  const int adcon = ctx.literals.create_lit(LiteralKind::AdconLit, 3, "&@AB@");
  ctx.literals[adcon].target = 1;
  ctx.literals.create_lit(LiteralKind::AddrCon, 3, "-AB&7", 7, ' ', "AB");
  P = place(ctx, P, true);
  EXPECT_EQ(out.str(),
            " Enter PROCESS_LTORG with P = 502 and EMIT = T to process 2 through 3\n"
            " Literals( 2)addr = 504, %kind = ADCON_LIT, %width = 1, %text = &@AB@, %offset = 0\n"
            " Literals( 3)addr = 507, %kind = ADDR_CON, %width = 3, %text = -AB&7, %offset = 7\n"
            " Exit PROCESS_LTORG with P = 508\n");
}

}  // namespace
}  // namespace velumar
