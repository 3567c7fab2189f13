#include "frontend/parser.h"

#include <algorithm>
#include <string>

#include "core/card.h"
#include "core/text.h"

namespace velumar {

namespace {


// One scan over an operand: the lexer state (START, END, TOKEN), the status
// and the operand being filled. A token read one step too far (the text after
// a name, a number or an adjustment) is put back, so that what follows
// always sees it as the next token and stray text cannot vanish unreported.
class OperandScan {
 public:
  OperandScan(const Reporting& rep, Lexer& lexer, OperandTables& tables, Parser& parser, std::string_view line,
              int& start, int& end, Token& token, int& status, int field)
      : rep_(rep),
        lexer_(lexer),
        tables_(tables),
        parser_(parser),
        line_(line),
        start_(start),
        end_(end),
        token_(token),
        status_(status),
        field_(std::max(field, 1)),
        op_(parser.operands().at(field_)) {}

  void parse(int enter_name, bool do_lit);
  void adjust();

 private:
  // The operand being filled; the list does not grow while it is.
  Operand& op() { return op_; }
  void count() { parser_.operands().count = field_; }
  // The current token's text, a view into the card.
  std::string_view text() const { return col_view(line_, start_, end_); }

  // Reads the token at START; a put-back token is taken from the hold.
  void read() {
    prev_token_ = token_;
    if (held_ && start_ == held_start_) {
      end_ = held_end_;
      token_ = held_token_;
    } else {
      token_ = lexer_.lex(line_, start_, end_);
    }
    held_ = false;
  }
  void next() {
    start_ = end_ + 1;
    read();
  }
  // Returns the current token to the line: END and TOKEN describe the token
  // before it again.
  void put_back() {
    held_ = true;
    held_start_ = start_;
    held_end_ = end_;
    held_token_ = token_;
    end_ = start_ - 1;
    token_ = prev_token_;
  }

  void parseerror(DiagId id, std::initializer_list<std::string_view> args = {}) {
    Diagnostic d = diagnose(id, args).at(start_, std::max(start_, end_)).in_field(field_);
    plus_sign_hint(d.notes);
    rep_.diag.do_error(std::move(d));
    status_ = -1;
  }
  // "+" is no 1401 adjustment sign: people who write PRTX+3 mean PRTX&3.
  void plus_sign_hint(std::vector<Note>& notes) const {
    const int last = std::min<int>(72, static_cast<int>(line_.size()));
    for (int c = kOperandColumn; c <= last; ++c) {
      if (col(line_, c) != '+') continue;
      int from = c;
      int to = c;
      while (from > kOperandColumn && col(line_, from - 1) != ',' && col(line_, from - 1) != ' ') --from;
      while (to < last && col(line_, to + 1) != ',' && col(line_, to + 1) != ' ') ++to;
      std::string written = cols(line_, from, to);
      std::string meant = written;
      std::replace(meant.begin(), meant.end(), '+', '&');
      notes.push_back({"the 1401 plus sign is written '&': for " + written + " write " + meant, c, c});
      return;
    }
  }
  void finish(std::string_view what);
  // One method per form of operand, by its first token.
  void other_operand();
  void character_literal(bool do_lit);
  void empty_operand();
  void device();
  void blank_constant();
  void sign_form(bool do_lit);
  void literal_address(int begin, bool do_lit);
  void address_constant(int begin, bool do_lit);
  void symbol_form(int enter_name, bool do_lit);
  void area_literal(std::string_view name);
  void index_register();

  const Reporting& rep_;
  Lexer& lexer_;
  OperandTables& tables_;
  Parser& parser_;
  std::string_view line_;
  int& start_;
  int& end_;
  Token& token_;
  int& status_;
  int field_;
  Operand& op_;
  Token prev_token_ = Token::Done;
  bool held_ = false;
  int held_start_ = 0;
  int held_end_ = 0;
  Token held_token_ = Token::Done;
};

void OperandScan::parse(int enter_name, bool do_lit) {
  status_ = 0;
  op() = Operand{};
  read();
  op().prefix = text();

  switch (token_) {
    case Token::At:
      status_ = 2;
      other_operand();
      break;
    case Token::Chars: character_literal(do_lit); break;
    case Token::Comma: empty_operand(); break;
    case Token::Device: device(); break;
    case Token::Done:
      status_ = 2;
      other_operand();
      op().prefix = "  ";
      break;
    case Token::Hash: blank_constant(); break;
    case Token::Minus:
    case Token::Plus: sign_form(do_lit); break;
    case Token::Name:
    case Token::Number:
    case Token::Star: symbol_form(enter_name, do_lit); break;
    default:  // Token::Other
      other_operand();
      finish(text());
      break;
  }

  start_ = end_ + 1;
  if (token_ == Token::Done && status_ == 0) status_ = 1;
}

// Counts the operand as one that refers to nothing.
void OperandScan::other_operand() {
  count();
  op().kind = OperandKind::Other;
}

void OperandScan::character_literal(bool do_lit) {
  count();
  op().kind = OperandKind::CharLit;
  const std::string_view body = col_view(line_, start_ + 1, end_ - 1);
  const int width = static_cast<int>(body.size());
  do_lit ? op().set_literal(tables_.create_lit(LiteralKind::CharLit, width, body, 0, ' ', {})) : op().set_count(width);
  finish("Character literals");
}

// A comma with nothing before it: an empty operand when the field ends
// there, otherwise an operand is missing. The token after the comma is the
// only one read: the error ends the operand list, so nothing further is
// lexed (which the lexer trace shows).
void OperandScan::empty_operand() {
  next();
  if (token_ == Token::Done) {
    other_operand();
    return;
  }
  parseerror(DiagId::OperandMissing);
}

void OperandScan::device() {
  count();
  const std::string_view name = text();
  op().kind = OperandKind::Device;
  op().prefix = "  ";
  op().label = name;
  finish(name);
}

// "#" and a number: an area of blanks of that width.
void OperandScan::blank_constant() {
  next();
  if (token_ == Token::Number) {
    count();
    op().set_count(digits_value(text()));
    op().kind = OperandKind::BlankCon;
  } else if (token_ == Token::Done) {
    other_operand();
  } else {
    parseerror(DiagId::AreaAdjusted);
  }
  finish("Area definitions");
}

void OperandScan::finish(std::string_view what) {
  if (token_ == Token::Done) return;
  start_ = end_ + 1;
  if (token_ == Token::Comma) return;
  for (;;) {
    read();
    if (token_ == Token::Done) return;
    start_ = end_ + 1;
    if (token_ == Token::Comma) return;
    if (status_ == 0) parseerror(DiagId::MustBeLast, {what});
  }
}

void OperandScan::sign_form(bool do_lit) {
  const int begin = start_;
  next();
  switch (token_) {
    case Token::Chars: literal_address(begin, do_lit); break;
    case Token::Name: address_constant(begin, do_lit); break;
    case Token::Number: {
      count();
      op().kind = OperandKind::NumLit;
      const int digits = end_ - start_ + 1;
      do_lit ? op().set_literal(tables_.create_lit(LiteralKind::NumLit, digits, col_view(line_, begin, end_), 0, ' ', {}))
             : op().set_count(digits);
      break;
    }
    case Token::Done: other_operand(); break;
    default: parseerror(DiagId::SignWithoutOperand); break;
  }
  finish("Numeric literals and address constants");
}

// A sign and a character literal: the address of that literal.
void OperandScan::literal_address(int begin, bool do_lit) {
  count();
  op().kind = OperandKind::AdconLit;
  const std::string_view body = col_view(line_, start_ + 1, end_ - 1);
  const int width = static_cast<int>(body.size());
  if (!do_lit) {
    op().set_count(width);
    return;
  }
  const int target = tables_.create_lit(LiteralKind::CharLit, width, body, 0, ' ', {});
  const int adcon = tables_.create_lit(LiteralKind::AdconLit, 3, col_view(line_, begin, end_), 0, ' ', {});
  // The address literal records which character literal it points at.
  tables_.link_adcon(adcon, target);
  op().set_literal(adcon);
}

// A sign and a name with an optional adjustment: an address constant.
void OperandScan::address_constant(int begin, bool do_lit) {
  const std::string name = parser_.suffixed(text());
  const int name_end = end_;
  next();
  if (token_ == Token::Plus || token_ == Token::Minus)
    adjust();
  else
    put_back();
  count();
  op().kind = OperandKind::AddrCon;
  op().label = name;
  if (!do_lit) {
    op().set_count(3);
    return;
  }
  // The literal's text is the constant as written, with the suffixed name.
  std::string literal(1, col(line_, begin));
  literal += rtrim(name);
  if (end_ > name_end) literal += col_view(line_, name_end + 1, end_);
  op().set_literal(tables_.create_lit(LiteralKind::AddrCon, 3, literal, op().adjustment(), op().index_reg, name));
  (void)tables_.reference(name);
  // The adjustment now lives in the literal.
  op().offset = 0;
  op().round_x00 = false;
  op().index_reg = ' ';
}

void OperandScan::symbol_form(int enter_name, bool do_lit) {
  const Token first = token_;
  const std::string_view first_text = text();
  if (first == Token::Name) {
    op().kind = OperandKind::Symbolic;
    op().label = first_text;
    if (enter_name != 0) {
      parser_.apply_suffix(op().label);
      op().set_symbol(tables_.reference(op().label));
    }
  } else if (first == Token::Number) {
    op().kind = OperandKind::Actual;
    do_lit ? op().set_address(digits_value(first_text)) : op().set_count(static_cast<int>(first_text.size()));
  } else {
    op().kind = OperandKind::Asterisk;
  }

  next();
  switch (token_) {
    case Token::Chars:
    case Token::Star:
      parseerror(DiagId::NameFollowed);
      break;
    case Token::Comma:
    case Token::Done:
      count();
      break;
    case Token::Hash:
      if (first == Token::Star)
        parseerror(DiagId::AsteriskHash);
      else
        area_literal(first_text);
      finish("Area-defining literal");
      break;
    case Token::Minus:
    case Token::Plus:
      adjust();
      count();
      break;
    default:
      // Text right after the symbol (a name, a number, another character, a
      // device or a lone "@"): finish reports it.
      put_back();
      break;
  }
  finish("Offset or indexed name");
  // A failed operand is dropped; the operands before it stay.
  if (status_ != 0) parser_.operands().count = field_ - 1;
}

// A name, "#" and a number: an area of that width labelled with the name.
void OperandScan::area_literal(std::string_view name) {
  next();
  if (token_ != Token::Number) {
    parseerror(DiagId::HashWithoutNumber);
    return;
  }
  const int width = digits_value(text());
  // Area literals are created even when no other literal is.
  const int area = tables_.create_lit(LiteralKind::AreaDef, width, parser_.suffixed(name), 0, ' ', {});
  count();
  op().set_literal(area);
  op().kind = OperandKind::AreaDef;
}

void OperandScan::adjust() {
  const bool negative = token_ == Token::Minus;
  next();
  if (token_ == Token::Name) {
    if (negative)
      parseerror(DiagId::NegativeIndex);
    else
      index_register();
  } else if (token_ == Token::Number) {
    const int value = digits_value(text());
    op().offset = negative ? -value : value;
    next();
    if (token_ == Token::Plus) {
      next();
      if (token_ == Token::Name) {
        index_register();
      } else {
        // A trailing "&" with no index register is as incomplete as a bare sign.
        parseerror(DiagId::AdjustmentForm);
        put_back();
      }
    } else {
      put_back();
    }
  } else {
    parseerror(DiagId::AdjustmentForm);
    put_back();
  }
}

void OperandScan::index_register() {
  const std::string_view name = text();
  op().index_reg = name.back();
  if (name == "X00") {
    op().round_x00 = true;
  } else if (!(name.size() == 2 && name[0] == 'X' && name[1] >= '0' && name[1] <= '3')) {
    parseerror(DiagId::IndexRegister);
  }
}

}  // namespace

void Parser::parse(std::string_view line, int& start, int& status, int enter_name, bool no_lit) {
  if (operands_.count < 0) operands_.count = 0;
  int end = start - 1;
  Token token = Token::Done;
  OperandScan scan(rep_, lexer_, tables_, *this, line, start, end, token, status, operands_.count + 1);
  scan.parse(enter_name, !no_lit);

  if (rep_.traces.on('p') && operands_.count > 0) {
    const Operand& last = operands_.get(operands_.count);
    rep_.out << "Parser: operands(" << operands_.count << ")%addr = " << last.raw_value()
             << ", %kind = " << operand_kind_name(last.kind) << ", %offset = " << last.adjustment()
             << ", %d = " << last.prefix << ", %index = " << last.index_reg << ", %label = " << rtrim(last.label) << '\n';
  }
}

void Parser::adjust(std::string_view line, int& start, int& end, Token& token, int field, int& status) {
  OperandScan scan(rep_, lexer_, tables_, *this, line, start, end, token, status, field);
  scan.adjust();
}

std::string Parser::suffixed(std::string_view name) const {
  const std::string_view kept = rtrim(name.substr(0, std::min<std::size_t>(name.size(), 6)));
  std::string out(6, ' ');
  kept.copy(out.data(), kept.size());
  // A blank name is no symbol: it gets no suffix.
  if (!kept.empty() && kept.size() < 6 && suffix_ != ' ') out[kept.size()] = suffix_;
  return out;
}

}  // namespace velumar
