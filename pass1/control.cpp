// Control statements in pass 1: ORG and LTORG, EX, XFR and END, CHAIN,
// SFX, ENT and the editing statements that are not supported.
#include "core/text.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"
#include "tables/pools.h"

namespace velumar {

namespace {

/// Places the pending literals at P for EX and END.
void place_pool(Pass1& pass) {
  pass.P = process_ltorg({pass.ctx.literals, pass.ctx.symtab, pass.ctx.reporting}, pass.P, &pass.ctx.scratch);
}

}  // namespace

void Pass1::do_org_ltorg(bool ltorg) {
  if (name_label()) define_label(P, 0);
  ctx.parser.parse(LINE, POS, Status, 1);

  // An operand dropped by a parse error counts as absent: P stays.
  if (ops().count >= 1) {
    Operand& o = op(1);
    // "X00" rounding sets the index to "0", which is no indexing either.
    if (o.index_reg >= '1' && o.index_reg <= '3') error("Indexing not permitted");
    if (is_blank(cols(LINE, 21, 22))) {
      o = Operand{};
      o.value = P_Max;
      o.kind = K_ACTUAL;
    }
    long long target = P;
    switch (o.kind) {
      case K_ACTUAL:
        target = o.value;
        break;
      case K_ASTERISK:
        break;
      case K_SYMBOLIC:
        // The parser has already applied the suffix and registered the name.
        if (ctx.symtab.valid(o.value) && is_defined(ctx.symtab[o.value].VALUE))
          target = ctx.symtab[o.value].VALUE;
        else
          target = kUndefinedOrg;
        break;
      default:
        error("Improper operand form");
        break;
    }
    P = o.offset == kRoundX00 ? round_up_to_hundred(target) : clamp_location(std::int64_t{target} + o.offset);
  }

  WIDTH = 0;
  if (ltorg) {
    NEED_LTORG = true;
    WIDTH = ctx.literals.count();
  }
}

void Pass1::end_or_ex() {
  POS = 21;
  TOKEN = ctx.lexer.lex(LINE, POS, END);
  Operand o;
  if (TOKEN == Token::Done) {
    o.kind = K_ACTUAL;
  } else if (TOKEN == Token::Name) {
    o.kind = K_SYMBOLIC;
    o.label = symbol_name(cols(LINE, POS, END));
    o.value = ctx.symtab.enter(o.label, kUndefinedRef, 0).index;
  } else if (TOKEN == Token::Number) {
    o.kind = K_ACTUAL;
    o.value = digits_value(cols(LINE, POS, END));
  } else {
    error("Improper operand for " + op_name());
    ctx.diag.error_code = err::BadStatement;
  }
  ops().clear();
  op(1) = o;
  ops().count = 1;
}

void Pass1::do_ex() {
  place_pool(*this);
  occupy(P_Scratch, P - P_Scratch);
  end_or_ex();
  WIDTH = ctx.literals.count();
  ADD_WIDTH = false;
}

void Pass1::do_xfr() { end_or_ex(); }

void Pass1::do_end() {
  place_pool(*this);
  if (P > P_Scratch && P - 1 > kLastAddress) CoreMsg = true;
  if (P > kLastAddress + 1) CoreMsg = true;
  end_or_ex();
  write_record(RecordKind::Statement, LINE, 0, P_Scratch, ctx.literals.count(), ctx.diag.error_code, ops().filled());
}

void Pass1::do_chain() {
  record_kind = RecordKind::Macro;
  POS = 21;
  TOKEN = ctx.lexer.lex(LINE, POS, END);
  if (TOKEN != Token::Number)
    error("Operand of CHAIN is not a number");
  else
    WIDTH = digits_value(cols(LINE, POS, END));

  if (is_pseudo(PrevOp)) {
    error("Previous OP code not a machine OP");
  } else if (WIDTH == 0) {
    error("CHAIN amount is zero");
    ctx.diag.error_code = err::OpErr;
  }
  if (ctx.diag.error_code == err::NoErr && WIDTH > kMaxChain) {
    // More characters than storage holds: nothing is generated (a record
    // per character would be pointless and unbounded); the program is
    // flagged as exceeding storage.
    ctx.diag.error_code = err::BadStatement;
    CoreMsg = true;
  }
  write_record(RecordKind::Macro, LINE, 0, 0, 0, ctx.diag.error_code);

  // An amount of 0 that reached here (its message was "Previous OP code not
  // a machine OP") asks for no character: writing the last one through the
  // common end would generate one all the same.
  if (ctx.diag.error_code != err::NoErr || WIDTH == 0) {
    // The second "MACRO" record stores nothing in any pass, so P stays.
    ADD_WIDTH = false;
    return;
  }
  const int first = P_Scratch;
  LINE = std::string(80, ' ');
  LINE.replace(15, 5, pad(PrevOpText, 5));
  record_kind = RecordKind::Generated;
  for (int n = 1; n < WIDTH; ++n) {
    write_record(record_kind, LINE, 0, P_Scratch, 1, err::NoErr);
    ++P_Scratch;
  }
  occupy(first, WIDTH);
  P = P_Scratch;
  WIDTH = 1;
}

void Pass1::do_sfx() { ctx.parser.set_suffix(col(LINE, 21)); }

void Pass1::do_ent() { error("Can't change coding mode"); }

void Pass1::do_alter() { error("ALTER not handled -- use an editor"); }

void Pass1::do_delet_inser() { error(cols(LINE, 16, 20) + " not handled -- use an editor"); }

}  // namespace velumar
