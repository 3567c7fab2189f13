// Declaratives in pass 1: DA and its field cards, DC and DCW, DS, DSA and
// EQU. Each decides the statement's width, location, label value and the
// operands its record carries.
#include <algorithm>

#include "core/text.h"
#include "core/charset.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"
#include "pass1/pass1_state.h"
#include "tables/layout.h"
#include "tables/literals.h"

namespace velumar {

namespace {

int index_digit(char c) { return (c >= '0' && c <= '9') ? c - '0' : 0; }

}  // namespace

Decision Pass1::do_da() {
  Decision placed = at_counter();
  area_.index = 0;
  Operand count;
  count.set_count(1);
  count.kind = OperandKind::Actual;
  Operand option_list;
  option_list.kind = OperandKind::DaOpt;
  op(3) = option_list;  // first, so that the list does not grow under the others
  op(2) = count;
  op(1) = count;
  ops().count = 3;

  area_.origin = counter_.here;
  area_.known = counter_.determined;
  const bool numeric = numeric_label_given();
  if (numeric) {
    area_.origin = placed.location = numeric_label();
    area_.known = true;
  }
  placed.width = read_da_operands();

  // A numeric label records its origin even after an option error, so all
  // passes keep the location counter where it was.
  if (numeric) {
    if (!place_explicitly(placed, area_.origin, placed.width)) {
      area_.origin = counter_.here;
      area_.known = counter_.determined;
    }
  } else if (name_label() && !ctx_.diag.statement_failed()) {
    placed.label = define_label(counter_value(counter_.here), area_.index);
  }
  return placed;
}

int Pass1::read_da_operands() {
  const std::string& line = card_.line;
  auto malformed = [this] {
    ctx_.diag.fail_statement();
    ctx_.diag.set_code(err::NoBXLErr);
    return 0;
  };
  int pos = 21;
  int end = 0;
  if (ctx_.lexer.lex(line, pos, end) != Token::Number) return malformed();
  const int records = digits_value(col_view(line, pos, end));
  pos = end + 2;
  if (col(line, end + 1) != 'X') return malformed();
  if (ctx_.lexer.lex(line, pos, end) != Token::Number) return malformed();
  const int size = digits_value(col_view(line, pos, end));
  int width = static_cast<int>(std::min<long long>(static_cast<long long>(records) * size, kSaturate));
  op(1).set_count(records);
  op(2).set_count(size);
  read_da_options(pos, end, width, records);
  return width;
}

void Pass1::read_da_options(int& pos, int& end, int& width, int records) {
  const std::string& line = card_.line;
  FixedText<6>& options = op(3).label;
  bool clear = false;
  bool group_mark = false;
  bool record_mark = false;
  // Each option may be given once; a repeated one ends the list.
  auto set_once = [&](bool& flag, std::size_t at, char mark) {
    if (flag) return false;
    flag = true;
    options[at] = mark;
    return true;
  };
  for (;;) {
    pos = end + 1;
    Token token = ctx_.lexer.lex(line, pos, end);
    if (token == Token::Done) break;
    if (token != Token::Comma) {
      ctx_.diag.fail_statement();
      break;
    }
    pos = end + 1;
    token = ctx_.lexer.lex(line, pos, end);
    const std::string_view text = col_view(line, pos, end);
    bool good = true;
    if (token == Token::Name && text == "C") {
      good = set_once(clear, 0, 'C');
    } else if (token == Token::Name && text == "G") {
      good = set_once(group_mark, 1, 'G');
    } else if (token == Token::Name && text.size() == 2 && text[0] == 'X' && text[1] >= '0' && text[1] <= '3') {
      area_.index = text[1] - '0';
      op(3).index_reg = text[1];
    } else if (token == Token::Other) {
      // A record mark; any other special character is passed over.
      if (text.size() == 1 && is_record_mark(text[0])) good = set_once(record_mark, 2, kRecordMark);
    } else {
      good = false;
    }
    if (!good) {
      ctx_.diag.fail_statement();
      break;
    }
  }
  if (record_mark) width += records;
  if (group_mark) ++width;
}

Decision Pass1::do_field_card() {
  Decision placed = at_counter();
  if (previous_.op != Op::Da) {
    error(DiagId::PreviousNotDa);
    ctx_.diag.set_code(err::OpErr);
    return placed;
  }
  int pos = 21;
  int status = 0;
  ctx_.parser.parse(card_.line, pos, status, 1);
  if ((status != 0 && status != 1) || get_op(1).kind != OperandKind::Actual) {
    ctx_.diag.fail_statement();
    return placed;
  }
  int field = layout::field_location(area_.origin, get_op(1).address());
  placed.kind = RecordKind::Subfield;
  if (status == 0) {
    ctx_.parser.parse(card_.line, pos, status, 1);
    if (status != 1 || ops().count < 2 || get_op(2).kind != OperandKind::Actual) {
      ctx_.diag.fail_statement();
    } else {
      field = layout::field_location(area_.origin, get_op(2).address());
      placed.kind = RecordKind::Field;
    }
  }
  if (name_label() && !ctx_.diag.statement_failed()) placed.label = define_label(area_.known ? std::optional<int>(field) : std::nullopt, area_.index);
  placed.location = field;
  // A field card stores nothing, but a field beyond the last position of
  // storage is as much out of storage as a constant there.
  if (field > kLastAddress) exceed_storage();
  return placed;
}

Decision Pass1::do_dc() {
  Decision placed = at_counter();
  const bool numeric = numeric_label_given();
  if (numeric) placed.location = numeric_label();
  int pos = 21;
  int status = 0;
  ctx_.parser.parse(card_.line, pos, status, 1, true);

  // An operand dropped by a parse error counts as absent: width 0.
  if (ops().count >= 1) placed.width = dc_operand(op(1));

  if (numeric) {
    place_explicitly(placed, layout::leftmost(placed.location, placed.width), placed.width);
  } else if (name_label()) {
    placed.label = define_label(counter_value(layout::label_value(counter_.here, placed.width, true)), 0);
  }
  return placed;
}

int Pass1::dc_operand(Operand& o) {
  o.sign = sign_of(col(card_.line, 21));  // the operand starts in column 21
  switch (o.kind) {
    case OperandKind::AreaDef:
    case OperandKind::Asterisk:
    case OperandKind::DaOpt:
    case OperandKind::Device:
    case OperandKind::Other:
      error(DiagId::ImproperOperandFor, {op_name()});
      return 0;
    case OperandKind::Symbolic:
    case OperandKind::AddrCon:
      o.kind = OperandKind::AddrCon;
      o.set_constant_symbol(symbol_index(ctx_.symtab.reference(o.label)));
      return 3;
    case OperandKind::AdconLit: {
      // The sign stands in column 21 and the opening "@" in column 22;
      // the literal is exactly the text between the two "@".
      const int length = std::clamp(o.count(), 0, 58);
      o.set_literal(ctx_.literals.create_lit(LiteralKind::CharLit, length, col_view(card_.line, 23, 22 + length)));
      return 3;
    }
    default: {
      const int width = o.count();
      o.set_count(0);
      return width;
    }
  }
}

Decision Pass1::do_ds() {
  Decision placed = at_counter();
  int pos = 21;
  int end = 0;
  if (ctx_.lexer.lex(card_.line, pos, end) != Token::Number) {
    error(DiagId::DsNotNumber);
    return placed;
  }
  placed.width = digits_value(col_view(card_.line, pos, end));
  pos = end + 1;
  if (ctx_.lexer.lex(card_.line, pos, end) != Token::Done) error(DiagId::DsJunk);
  if (name_label() && !ctx_.diag.statement_failed())
    placed.label = define_label(counter_value(layout::label_value(counter_.here, placed.width, true)), 0);
  return placed;
}

Decision Pass1::do_dsa() {
  Decision placed = at_counter();
  const bool numeric = numeric_label_given();
  const int label = numeric ? numeric_label() : 0;
  // A location the record cannot carry is flagged at the end, and the
  // constant then goes to the counter like any other.
  const bool explicit_ok = numeric && label >= 1;
  if (explicit_ok) placed.location = label;

  ops().count = 1;
  placed.width = 3;
  Operand& o = op(1);
  o = Operand{};
  o.kind = OperandKind::Actual;
  int pos = 21;
  int end = 0;
  read_dsa_operand(o, placed.location, pos, end);

  if (!ctx_.diag.statement_failed()) {
    pos = end + 1;
    Token token = ctx_.lexer.lex(card_.line, pos, end);
    if (token == Token::Plus || token == Token::Minus) {
      int status = 0;
      ctx_.parser.adjust(card_.line, pos, end, token, 1, status);
      if (status == 0 && !adjustment_ends(pos, end)) error(DiagId::DsaJunkAfterTheOperand);
    } else if (token != Token::Done) {
      error(DiagId::DsaJunk);
    }
  }

  if (numeric) {
    place_explicitly(placed, explicit_ok ? label : 0, placed.width);
  } else if (name_label()) {
    placed.label = define_label(counter_value(layout::label_value(counter_.here, 3, true)), 0);
  }
  return placed;
}

void Pass1::read_dsa_operand(Operand& o, int location, int& pos, int& end) {
  const std::string& line = card_.line;
  auto take_name = [&] {
    o.kind = OperandKind::Symbolic;
    o.label = symbol_name(col_view(line, pos, end));
    o.set_symbol(ctx_.symtab.reference(o.label));
  };
  Token token = ctx_.lexer.lex(line, pos, end);
  if (token == Token::Number) {
    o.set_address(digits_value(col_view(line, pos, end)));
  } else if (token == Token::Name) {
    take_name();
  } else if (token == Token::Star) {
    o.set_address(location + 2);
    o.kind = OperandKind::Asterisk;
  } else if (token == Token::Plus || token == Token::Minus) {
    const bool minus = token == Token::Minus;
    pos = end + 1;
    token = ctx_.lexer.lex(line, pos, end);
    if (token == Token::Number) {
      // The plus sign "&" only says the number is positive.
      const int value = digits_value(col_view(line, pos, end));
      o.set_address(minus ? -value : value);
    } else if (token == Token::Name) {
      take_name();
      if (col(line, 21) == '-') {
        ctx_.diag.fail_statement();
        ctx_.diag.set_code(err::BadStatement);
      }
    } else {
      error(DiagId::ImproperOperandFor, {"DSA"});
    }
  } else {
    error(DiagId::ImproperOperandFor, {"DSA"});
  }
}

bool Pass1::adjustment_ends(int& pos, int& end) {
  // adjust leaves current the last token that belongs to the adjustment.
  pos = end + 1;
  return ctx_.lexer.lex(card_.line, pos, end) == Token::Done;
}

Decision Pass1::do_equ() {
  Decision placed = at_counter();
  placed.location = 0;
  if (!is_blank(col_view(card_.line, 6, 11)) && !name_label()) ctx_.diag.fail_statement();
  int pos = 21;
  int status = 0;
  ctx_.parser.parse(card_.line, pos, status, 1);
  if (status != 1) ctx_.diag.fail_statement();
  if (ctx_.diag.statement_failed()) return placed;

  Operand& o = op(1);
  const int index = index_digit(o.index_reg);
  switch (o.kind) {
    case OperandKind::Asterisk:
      o.set_address(counter_.here - 1);  // "*" is the last character of the previous statement
      placed.label = define_label(counter_value(clamp_location(std::int64_t{o.address()} + o.adjustment())), index);
      break;
    case OperandKind::Actual:
      placed.label = define_label(clamp_location(static_cast<long long>(o.address()) + o.adjustment()), index);
      break;
    case OperandKind::Device:
      placed.label = define_label(0, 0, false, o.label.view().substr(0, 3));
      break;
    case OperandKind::Symbolic:
      // The parser has already applied the suffix and registered the name.
      if (ctx_.symtab.valid(o.symbol()) && ctx_.symtab[o.symbol()].defined) {
        const Symbol& target = ctx_.symtab[o.symbol()];
        const int tag = o.index_reg == ' ' ? target.index_reg : index;
        placed.label = define_label(clamp_location(static_cast<long long>(target.value) + o.adjustment()), tag);
      } else {
        placed.label = define_label(std::nullopt, 0);
      }
      break;
    default:
      ctx_.diag.fail_statement();
      return placed;
  }
  // Every case above defined the label: none came back for a blank one.
  placed.unnamed_equ = !placed.label;
  return placed;
}

}  // namespace velumar
