// Declaratives in pass 1: DA and its field cards, DC and DCW, DS, DSA and
// EQU. Each decides the statement's width, location, label value and the
// operands its record carries.
#include <algorithm>

#include "core/text.h"
#include "core/charset.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"
#include "tables/literals.h"

namespace velumar {

namespace {

int index_digit(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }

}  // namespace

void Pass1::do_da() {
  CLEAR = GroupMark = RecMark = false;
  INDEX = 0;
  NRECS = RECSIZ = 1;
  Operand count;
  count.value = 1;
  count.kind = K_ACTUAL;
  Operand option_list;
  option_list.kind = K_DA_OPT;
  op(3) = option_list;  // first, so that the list does not grow under the others
  op(2) = count;
  op(1) = count;
  ops().count = 3;
  std::string& options = op(3).label;

  P_DA = P;
  const bool numeric = numeric_label_given();
  if (numeric) P_DA = P_Scratch = numeric_label();

  auto malformed = [this] {
    ctx.diag.had_error = true;
    ctx.diag.error_code = err::NoBXLErr;
  };
  POS = 21;
  TOKEN = ctx.lexer.lex(LINE, POS, END);
  if (TOKEN != Token::Number) {
    malformed();
  } else {
    const int nrecs = digits_value(cols(LINE, POS, END));
    POS = END + 2;
    if (col(LINE, END + 1) != 'X') {
      malformed();
    } else if ((TOKEN = ctx.lexer.lex(LINE, POS, END)) != Token::Number) {
      malformed();
    } else {
      NRECS = nrecs;
      RECSIZ = digits_value(cols(LINE, POS, END));
      WIDTH = static_cast<int>(std::min<long long>(static_cast<long long>(NRECS) * RECSIZ, kSaturate));
      op(1).value = NRECS;
      op(2).value = RECSIZ;

      for (;;) {
        POS = END + 1;
        TOKEN = ctx.lexer.lex(LINE, POS, END);
        if (TOKEN == Token::Done) break;
        if (TOKEN != Token::Comma) {
          ctx.diag.had_error = true;
          break;
        }
        POS = END + 1;
        TOKEN = ctx.lexer.lex(LINE, POS, END);
        const std::string text = cols(LINE, POS, END);
        // Each option may be given once; a repeated one ends the list.
        auto set_once = [&](bool& flag, std::size_t at, char mark) {
          if (flag) return false;
          flag = true;
          options[at] = mark;
          return true;
        };
        bool good = true;
        if (TOKEN == Token::Name && text == "C") {
          good = set_once(CLEAR, 0, 'C');
        } else if (TOKEN == Token::Name && text == "G") {
          good = set_once(GroupMark, 1, 'G');
        } else if (TOKEN == Token::Name && text.size() == 2 && text[0] == 'X' && text[1] >= '0' && text[1] <= '3') {
          INDEX = text[1] - '0';
          op(3).index_reg = text[1];
        } else if (TOKEN == Token::Other) {
          // A record mark; any other special character is passed over.
          if (text.size() == 1 && is_record_mark(text[0])) good = set_once(RecMark, 2, RMARK);
        } else {
          good = false;
        }
        if (!good) {
          ctx.diag.had_error = true;
          break;
        }
      }
      if (RecMark) WIDTH += NRECS;
      if (GroupMark) ++WIDTH;
    }
  }
  if (ctx.diag.error_code == err::NoBXLErr) NRECS = RECSIZ = 1;

  // A numeric label records its origin even after an option error, so all
  // passes keep the location counter where it was.
  if (numeric) {
    if (!place_explicitly(P_DA, WIDTH)) P_DA = P;
  } else if (name_label() && !ctx.diag.had_error) {
    define_label(P, INDEX);
  }
}

void Pass1::do_field_card() {
  if (PrevOp != Op::Da) {
    error("Previous OP code not DA");
    ctx.diag.error_code = err::OpErr;
    return;
  }
  ctx.parser.parse(LINE, POS, Status, 1);
  if ((Status != 0 && Status != 1) || get_op(1).kind != K_ACTUAL) {
    ctx.diag.had_error = true;
    return;
  }
  FIELD = clamp_location(static_cast<long long>(get_op(1).value) + P_DA - 1);
  record_kind = RecordKind::Subfield;
  if (Status == 0) {
    ctx.parser.parse(LINE, POS, Status, 1);
    if (Status != 1 || ops().count < 2 || get_op(2).kind != K_ACTUAL) {
      ctx.diag.had_error = true;
    } else {
      FIELD = clamp_location(static_cast<long long>(get_op(2).value) + P_DA - 1);
      record_kind = RecordKind::Field;
    }
  }
  if (name_label() && !ctx.diag.had_error) define_label(FIELD, INDEX);
  P_Scratch = FIELD;
  // A field card stores nothing, but a field beyond the last position of
  // storage is as much out of storage as a constant there.
  if (FIELD > kLastAddress) CoreMsg = true;
}

void Pass1::do_dc() {
  const bool numeric = numeric_label_given();
  if (numeric) P_Scratch = numeric_label();
  ctx.parser.parse(LINE, POS, Status, 1, true);

  // An operand dropped by a parse error counts as absent: width 0.
  if (ops().count >= 1) {
    Operand& o = op(1);
    switch (o.kind) {
      case K_AREA_DEF:
      case K_ASTERISK:
      case K_DA_OPT:
      case K_DEVICE:
      case K_OTHER:
        error("Improper operand for " + op_name());
        WIDTH = 0;
        break;
      case K_SYMBOLIC:
      case K_ADDR_CON:
        o.kind = K_ADDR_CON;
        o.value = ctx.symtab.enter(o.label, kUndefinedRef, 0).index;
        WIDTH = 3;
        break;
      case K_ADCON_LIT: {
        // The sign stands in column 21 and the opening "@" in column 22;
        // the literal is exactly the text between the two "@".
        const int length = std::clamp(o.value, 0, 58);
        o.value = ctx.literals.create_lit(L_CHAR_LIT, length, cols(LINE, 23, 22 + length));
        WIDTH = 3;
        break;
      }
      default:
        WIDTH = o.value;
        o.value = 0;
        break;
    }
  }

  if (numeric) {
    place_explicitly(P_Scratch - WIDTH + 1, WIDTH);
  } else if (name_label()) {
    define_label(clamp_location(static_cast<long long>(P) + WIDTH - 1), 0);
  }
}

void Pass1::do_ds() {
  POS = 21;
  TOKEN = ctx.lexer.lex(LINE, POS, END);
  if (TOKEN != Token::Number) {
    error("Operand of DS must be a number");
    return;
  }
  WIDTH = digits_value(cols(LINE, POS, END));
  POS = END + 1;
  if (ctx.lexer.lex(LINE, POS, END) != Token::Done) error("Junk after the number in a DS");
  if (name_label() && !ctx.diag.had_error) define_label(clamp_location(static_cast<long long>(P) + WIDTH - 1), 0);
}

void Pass1::do_dsa() {
  const bool numeric = numeric_label_given();
  const int label = numeric ? numeric_label() : 0;
  // A location the record cannot carry is flagged at the end, and the
  // constant then goes to P like any other.
  const bool explicit_ok = numeric && label >= 1;
  if (explicit_ok) P_Scratch = label;

  ops().count = 1;
  WIDTH = 3;
  Operand& o = op(1);
  o = Operand{};
  o.kind = K_ACTUAL;

  auto take_name = [&] {
    o.kind = K_SYMBOLIC;
    o.label = symbol_name(cols(LINE, POS, END));
    o.value = ctx.symtab.enter(o.label, kUndefinedRef, 0).index;
  };
  POS = 21;
  TOKEN = ctx.lexer.lex(LINE, POS, END);
  if (TOKEN == Token::Number) {
    o.value = digits_value(cols(LINE, POS, END));
  } else if (TOKEN == Token::Name) {
    take_name();
  } else if (TOKEN == Token::Star) {
    o.value = P_Scratch + 2;
    o.kind = K_ASTERISK;
  } else if (TOKEN == Token::Plus || TOKEN == Token::Minus) {
    const bool minus = TOKEN == Token::Minus;
    POS = END + 1;
    TOKEN = ctx.lexer.lex(LINE, POS, END);
    if (TOKEN == Token::Number) {
      // The plus sign "&" only says the number is positive.
      const int value = digits_value(cols(LINE, POS, END));
      o.value = minus ? -value : value;
    } else if (TOKEN == Token::Name) {
      take_name();
      if (col(LINE, 21) == '-') {
        ctx.diag.had_error = true;
        ctx.diag.error_code = err::BadStatement;
      }
    } else {
      error("Improper operand for DSA");
    }
  } else {
    error("Improper operand for DSA");
  }

  if (!ctx.diag.had_error) {
    POS = END + 1;
    TOKEN = ctx.lexer.lex(LINE, POS, END);
    if (TOKEN == Token::Plus || TOKEN == Token::Minus) {
      Status = 0;
      ctx.parser.adjust(LINE, POS, END, TOKEN, 1, Status);
      if (Status == 0 && !adjustment_ends()) error("Junk after the operand for DSA");
    } else if (TOKEN != Token::Done) {
      error("Junk after operand for DSA");
    }
  }

  if (numeric) {
    place_explicitly(explicit_ok ? label : 0, WIDTH);
  } else if (name_label()) {
    define_label(P + 2, 0);
  }
}

bool Pass1::adjustment_ends() {
  // adjust leaves current the last token that belongs to the adjustment.
  POS = END + 1;
  return ctx.lexer.lex(LINE, POS, END) == Token::Done;
}

void Pass1::do_equ() {
  P_Scratch = 0;
  if (!is_blank(cols(LINE, 6, 11)) && !name_label()) ctx.diag.had_error = true;
  ctx.parser.parse(LINE, POS, Status, 1);
  if (Status != 1) ctx.diag.had_error = true;
  if (ctx.diag.had_error) return;

  Operand& o = op(1);
  const int index = index_digit(o.index_reg);
  switch (o.kind) {
    case K_ASTERISK:
      o.value = P - 1;  // "*" is the last character of the previous statement
      [[fallthrough]];
    case K_ACTUAL:
      define_label(clamp_location(static_cast<long long>(o.value) + o.offset), index);
      break;
    case K_DEVICE:
      define_label(0, 0, false, o.label.substr(0, 3));
      break;
    case K_SYMBOLIC: {
      // The parser has already applied the suffix and registered the name.
      if (ctx.symtab.valid(o.value) && is_defined(ctx.symtab[o.value].VALUE)) {
        const Symbol& target = ctx.symtab[o.value];
        const int tag = o.index_reg == ' ' ? target.INDEX : index;
        define_label(clamp_location(static_cast<long long>(target.VALUE) + o.offset), tag);
      } else {
        define_label(kUndefinedRef, 0);
      }
      break;
    }
    default:
      ctx.diag.had_error = true;
      break;
  }
}

}  // namespace velumar
