// Machine instructions in pass 1: the operands are checked against the
// operation table, the d-modifier is decided and the instruction is sized
// to 1, 2, 4, 5, 7 or 8 characters.
#include "core/text.h"
#include "frontend/opcodes.h"
#include "pass1/column_checks.h"
#include "pass1/pass1_state.h"

namespace velumar {

namespace {
constexpr int kMaxOperands = 4;
}  // namespace

void Pass1::analyze_d(int k, Instruction& in, bool historic_only) {
  const Operand& d_op = get_op(k);
  if (col(d_op.prefix, 2) == ' ') {
    in.d = col(d_op.prefix, 1);
    in.got_d = true;
  } else {
    Diagnostic d = diagnose(DiagId::DModifierLength);
    d.historic_only = historic_only;
    ctx_.diag.do_error(std::move(d));
  }
}

void Pass1::bad_operand(int k, int first_col) {
  const std::string field = k == 1 ? "A" : "B";
  const std::string_view prefix = get_op(k).prefix;
  if (prefix == "@ ") {
    // A lone @: the lexer found no closing @ in the operand field.
    int last = first_col;
    while (last < 72 && col(card_.line, last + 1) != ' ') ++last;
    ctx_.diag.do_error(diagnose(DiagId::UnterminatedLiteral, {field}).at(first_col, last));
  } else if (k == 2 && prefix == "  ") {
    // Nothing after the comma: the field ends at a blank. Text after the
    // blanks reads as a remark; joining it is the likely fix.
    Diagnostic d = diagnose(DiagId::MissingOperand, {field, std::to_string(first_col)}).at(first_col, first_col);
    int text = first_col;
    while (text <= 72 && col(card_.line, text) == ' ') ++text;
    int end = text;
    while (end < 72 && col(card_.line, end + 1) != ' ') ++end;
    if (text <= 72 && text - first_col < 4)
      d.notes.push_back(fix_it("remove the blanks after the comma: the operand field ends at the first blank",
                               first_col, end, cols(card_.line, text, end)));
    ctx_.diag.do_error(std::move(d));
  } else {
    error(k == 1 ? DiagId::BadAField : DiagId::BadBField);
  }
}

void Pass1::register_symbol(int k) {
  // Address constants arrive with the suffix already applied by the parser.
  Operand& o = op(k);
  if (o.kind != OperandKind::Symbolic) return;
  ctx_.parser.apply_suffix(o.label);
  o.set_symbol(ctx_.symtab.reference(o.label));
}

Decision Pass1::machine_instruction() {
  Decision placed = at_counter();
  if (name_label() && !ctx_.diag.statement_failed()) placed.label = define_label(counter_value(counter_.here), 0);

  int pos = 21;
  int status = 0;
  Instruction in;
  for (int n = 0; n < kMaxOperands; ++n) {
    in.first_col[static_cast<std::size_t>(n + 1)] = pos;
    ctx_.parser.parse(card_.line, pos, status, 0);
    if (status != 0) break;
  }

  const OpInfo& row = op_info(ctx_.last_op);
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
    if (row.d == Need::Required && !in.direct) error(DiagId::DFieldRequired, {op_name()});
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
    if (get_op(1).prefix == "@ ") bad_operand(1, in.first_col[1]);
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
    if (row.d == Need::Required && !in.direct && !in.got_d) error(DiagId::DFieldRequired, {op_name()});
    return;
  }
  if (row.b == Need::Prohibited) {
    if (d_optional)
      analyze_d(2, in);
    else
      error(DiagId::BFieldNotAllowed);
  } else if (in.machine_op == 'B' && !in.got_d && !is_blank(col_view(card_.line, 16, 18)) && count == 2) {
    // A two-operand branch: the second operand is the d-modifier. Where the
    // operation needs one (BCE START,201), a longer second operand is the
    // B address and the d-modifier is what is missing, which the report on
    // standard error says once.
    analyze_d(2, in, row.d == Need::Required);
  } else if (get_op(2).kind == OperandKind::Other) {
    bad_operand(2, in.first_col[2]);
  } else {
    width += 3;
    register_symbol(2);
  }
  if (count == 2) {
    if (row.d == Need::Required && !in.direct && !in.got_d) error(DiagId::DFieldRequired, {op_name()});
  } else {
    if (row.d == Need::Prohibited || in.got_d)
      error(DiagId::DFieldNotAllowed);
    else
      analyze_d(3, in);
    if (in.more) error(DiagId::TooManyOperands);
  }
}

}  // namespace velumar
