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

void Pass1::analyze_d(int k) {
  const Operand& d_op = get_op(k);
  if (col(d_op.prefix, 2) == ' ') {
    D = col(d_op.prefix, 1);
    GOT_D = true;
  } else {
    error("D modifier must be a single character");
  }
}

void Pass1::register_symbol(int k) {
  // Address constants arrive with the suffix already applied by the parser.
  Operand& o = op(k);
  if (o.kind != K_SYMBOLIC) return;
  o.label = ctx.parser.suffixed(o.label);
  o.value = ctx.symtab.enter(o.label, kUndefinedRef, 0).index;
}

void Pass1::machine_instruction() {
  if (name_label() && !ctx.diag.had_error) define_label(P, 0);

  WIDTH = 1;
  for (int n = 0; n < kMaxOperands; ++n) {
    ctx.parser.parse(LINE, POS, Status, 0);
    if (Status != 0) break;
  }

  const OpInfo* row = &op_info(ctx.last_op);
  if (ctx.last_op == Op::Direct) {
    Direct = true;
    MachineOp = col(LINE, 19);
    D = col(LINE, 20);
    GOT_D = D != ' ';
  } else {
    MachineOp = row->machine_op;
    D = row->d;
    GOT_D = is_fixed_d(D);
  }
  const char a_code = row->a;
  const char b_code = row->b;
  const char d_code = row->d;
  const bool d_optional = d_code == OPT || d_code == REQ;
  int& count = ops().count;

  if (count == 0) {
    if (a_code == REQ) error("A field required");
    if (d_code == REQ && !Direct) error("D field required");
  } else {
    bool sized = true;  // false once the operand list turned out empty
    if (a_code == PRO) {
      if (d_optional) {
        analyze_d(1);
      } else if (get_op(1).kind == K_OTHER) {
        count = 0;
        sized = false;
      } else {
        error("A field not allowed");
      }
    } else if (get_op(1).kind == K_OTHER) {
      if (get_op(1).prefix == "@ ") error("Bad A field");
      count = 0;
      sized = false;  // an empty A operand gives the chained form
    } else {
      WIDTH += 3;
      register_symbol(1);
    }

    if (sized && count == 1) {
      if (b_code == REQ) error("B field required");
      if (d_code == REQ && !Direct && !GOT_D) error("D field required");
    } else if (sized && count >= 2) {
      if (b_code == PRO) {
        if (d_optional)
          analyze_d(2);
        else
          error("B field not allowed");
      } else if (MachineOp == 'B' && !GOT_D && !is_blank(cols(LINE, 16, 18)) && count == 2) {
        analyze_d(2);  // a two-operand branch: the second operand is the d-modifier
      } else if (get_op(2).kind == K_OTHER) {
        error("Bad B field");
      } else {
        WIDTH += 3;
        register_symbol(2);
      }
      if (count == 2) {
        if (d_code == REQ && !Direct && !GOT_D) error("D field required");
      } else {
        if (d_code == PRO || GOT_D)
          error("D field not allowed");
        else
          analyze_d(3);
        if (Status == 0) error("Too many operands");
      }
    }
  }

  if (D != ' ' && Direct) {
    // With four operands this is a fifth one: the list grows to hold it.
    Operand& d_op = op(count + 1);
    d_op = Operand{};
    d_op.kind = K_SYMBOLIC;
    d_op.prefix = std::string(1, D) + " ";
    ++count;
    GOT_D = true;
  }
  if (GOT_D) ++WIDTH;
}

}  // namespace velumar
