// Machine instructions in pass 1: the operands are checked against the
// operation table, the d-modifier is decided and the instruction is sized
// to 1, 2, 4, 5, 7 or 8 characters.
#include "core/text.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"

namespace velumar {

namespace {
constexpr int kMaxOperands = 4;
}  // namespace

void Pass1::analyze_d(int k, Instruction& in) {
  const Operand& d_op = get_op(k);
  if (col(d_op.prefix, 2) == ' ') {
    in.d = col(d_op.prefix, 1);
    in.got_d = true;
  } else {
    error(DiagId::DModifierLength);
  }
}

void Pass1::register_symbol(int k) {
  // Address constants arrive with the suffix already applied by the parser.
  Operand& o = op(k);
  if (o.kind != OperandKind::Symbolic) return;
  ctx_.parser.apply_suffix(o.label);
  o.set_symbol(ctx_.symtab.reference(o.label));
}

Placement Pass1::machine_instruction() {
  Placement placed = at_counter();
  if (name_label() && !ctx_.diag.statement_failed()) placed.label = define_label(counter_value(counter_.here), 0);

  int pos = 21;
  int status = 0;
  for (int n = 0; n < kMaxOperands; ++n) {
    ctx_.parser.parse(card_.line, pos, status, 0);
    if (status != 0) break;
  }

  const OpInfo& row = op_info(ctx_.last_op);
  Instruction in;
  in.more = status == 0;
  if (ctx_.last_op == Op::Direct) {
    in.direct = true;
    in.machine_op = col(card_.line, 19);
    in.d = col(card_.line, 20);
    in.got_d = in.d != ' ';
  } else {
    in.machine_op = row.machine_op;
    in.d = row.d.fixed;
    in.got_d = row.d == Need::Fixed;
  }

  int width = 1;
  if (ops().count == 0) {
    if (row.a == Need::Required) error(DiagId::AFieldRequired);
    if (row.d == Need::Required && !in.direct) error(DiagId::DFieldRequired);
  } else if (check_a(row, in, width)) {
    check_b_and_d(row, in, width);
  }

  if (in.d != ' ' && in.direct) {
    // With four operands this is a fifth one: the list grows to hold it.
    int& count = ops().count;
    Operand& d_op = op(count + 1);
    d_op = Operand{};
    d_op.kind = OperandKind::Symbolic;
    d_op.prefix = std::string(1, in.d) + " ";
    ++count;
    in.got_d = true;
  }
  if (in.got_d) ++width;
  placed.width = width;
  return placed;
}

bool Pass1::check_a(const OpInfo& row, Instruction& in, int& width) {
  const bool d_optional = row.d == Need::Optional || row.d == Need::Required;
  if (row.a == Need::Prohibited) {
    if (d_optional) {
      analyze_d(1, in);
    } else if (get_op(1).kind == OperandKind::Other) {
      ops().count = 0;
      return false;
    } else {
      error(DiagId::AFieldNotAllowed);
    }
  } else if (get_op(1).kind == OperandKind::Other) {
    if (get_op(1).prefix == "@ ") error(DiagId::BadAField);
    ops().count = 0;
    return false;  // an empty A operand gives the chained form
  } else {
    width += 3;
    register_symbol(1);
  }
  return true;
}

void Pass1::check_b_and_d(const OpInfo& row, Instruction& in, int& width) {
  const int count = ops().count;
  const bool d_optional = row.d == Need::Optional || row.d == Need::Required;
  if (count == 1) {
    if (row.b == Need::Required) error(DiagId::BFieldRequired);
    if (row.d == Need::Required && !in.direct && !in.got_d) error(DiagId::DFieldRequired);
    return;
  }
  if (row.b == Need::Prohibited) {
    if (d_optional)
      analyze_d(2, in);
    else
      error(DiagId::BFieldNotAllowed);
  } else if (in.machine_op == 'B' && !in.got_d && !is_blank(col_view(card_.line, 16, 18)) && count == 2) {
    analyze_d(2, in);  // a two-operand branch: the second operand is the d-modifier
  } else if (get_op(2).kind == OperandKind::Other) {
    error(DiagId::BadBField);
  } else {
    width += 3;
    register_symbol(2);
  }
  if (count == 2) {
    if (row.d == Need::Required && !in.direct && !in.got_d) error(DiagId::DFieldRequired);
  } else {
    if (row.d == Need::Prohibited || in.got_d)
      error(DiagId::DFieldNotAllowed);
    else
      analyze_d(3, in);
    if (in.more) error(DiagId::TooManyOperands);
  }
}

}  // namespace velumar
