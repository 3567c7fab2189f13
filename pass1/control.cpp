// Control statements in pass 1 that move the location counter: ORG and
// LTORG, EX and END with their literal pools, and CHAIN. The transfer
// address of EX, XFR and END is read here too.
#include <algorithm>

#include "core/text.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"
#include "tables/layout.h"
#include "tables/pools.h"

namespace velumar {

int Pass1::place_pool() {
  return process_ltorg({ctx_.literals, ctx_.symtab, ctx_.reporting, &ctx_.lexer}, counter_.here, &ctx_.scratch);
}

Decision Pass1::do_org_ltorg(bool ltorg) {
  Decision placed = at_counter();
  if (name_label()) placed.label = define_label(counter_value(counter_.here), 0);
  int pos = 21;
  int status = 0;
  ctx_.parser.parse(card_.line, pos, status, 1);

  // An operand dropped by a parse error counts as absent: P stays.
  if (ops().count >= 1) {
    Operand& o = op(1);
    // "X00" rounding sets the index to "0", which is no indexing either.
    if (o.index_reg >= '1' && o.index_reg <= '3') error(DiagId::IndexingNotPermitted);
    if (is_blank(cols(card_.line, 21, 22))) {
      o = Operand{};
      o.set_address(counter_.highest);
      o.kind = OperandKind::Actual;
    }
    // The parser has already applied the suffix and registered a name;
    // where the counter goes is the layout's (see place_records).
    if (o.kind != OperandKind::Actual && o.kind != OperandKind::Asterisk && o.kind != OperandKind::Symbolic)
      error(DiagId::ImproperOperandForm);
  }

  if (ltorg) {
    // The record carries the number of literals; the pool follows it.
    placed.advance = Advance::PlacePool;
    placed.width = ctx_.literals.count();
  }
  return placed;
}

void Pass1::end_or_ex() {
  int pos = 21;
  int end = 0;
  const Token token = ctx_.lexer.lex(card_.line, pos, end);
  Operand o;
  if (token == Token::Done) {
    o.kind = OperandKind::Actual;
  } else if (token == Token::Name) {
    o.kind = OperandKind::Symbolic;
    o.label = symbol_name(cols(card_.line, pos, end));
    o.set_symbol(ctx_.symtab.reference(o.label));
  } else if (token == Token::Number) {
    o.kind = OperandKind::Actual;
    o.set_address(digits_value(cols(card_.line, pos, end)));
  } else {
    error(DiagId::ImproperOperandFor, {op_name()});
    ctx_.diag.set_code(err::BadStatement);
  }
  ops().clear();
  op(1) = o;
  ops().count = 1;
}

Decision Pass1::do_ex() {
  Decision placed = at_counter();
  placed.used = Span{placed.location, std::max(place_pool(), placed.location)};
  end_or_ex();
  // The record carries the number of literals placed before it.
  placed.width = ctx_.literals.count();
  placed.advance = Advance::Stay;
  return placed;
}

void Pass1::do_end() {
  const int location = counter_.here;
  const int pool_end = place_pool();
  if (pool_end > location && pool_end - 1 > kLastAddress) exceed_storage();
  if (pool_end > kLastAddress + 1) exceed_storage();
  end_or_ex();
  write_record(RecordKind::Statement, Op::End, card_.line, location, ctx_.literals.count(), ctx_.diag.code(), ops().filled());
}

Decision Pass1::do_chain() {
  Decision placed = at_counter();
  placed.kind = RecordKind::Macro;
  int pos = 21;
  int end = 0;
  int amount = 0;
  if (ctx_.lexer.lex(card_.line, pos, end) != Token::Number)
    error(DiagId::ChainNotNumber);
  else
    amount = digits_value(cols(card_.line, pos, end));

  if (is_pseudo(previous_.op)) {
    error(DiagId::PreviousNotMachine);
  } else if (amount == 0) {
    error(DiagId::ChainZero);
    ctx_.diag.set_code(err::OpErr);
  }
  if (ctx_.diag.code() == err::NoErr && amount > kMaxChain) {
    // More characters than storage holds: nothing is generated (a record
    // per character would be pointless and unbounded); the program is
    // flagged as exceeding storage.
    ctx_.diag.set_code(err::BadStatement);
    exceed_storage();
  }
  write_record(RecordKind::Macro, Op::Chain, card_.line, 0, 0, ctx_.diag.code());

  // An amount of 0 that reached here (its message was "Previous OP code not
  // a machine OP") asks for no character: writing the last one through the
  // common end would generate one all the same.
  if (ctx_.diag.code() != err::NoErr || amount == 0) {
    // The second "MACRO" record stores nothing in any pass, so P stays.
    placed.width = amount;
    placed.advance = Advance::Stay;
    return placed;
  }
  // Each character is a record of its own, the last through the common end.
  const int first = placed.location;
  card_.line = std::string(80, ' ');
  card_.line.replace(15, 5, pad(previous_.text, 5));
  placed.kind = RecordKind::Generated;
  chained_op_ = card_op(card_.line);
  for (int n = 1; n < amount; ++n) {
    write_record(placed.kind, chained_op_, card_.line, placed.location, 1, err::NoErr);
    ++placed.location;
  }
  placed.used = Span{first, clamp_location(static_cast<long long>(first) + amount)};
  placed.width = 1;
  return placed;
}

}  // namespace velumar
