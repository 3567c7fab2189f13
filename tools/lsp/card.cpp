#include "tools/lsp/card.h"

#include <algorithm>
#include <ostream>
#include <streambuf>

#include "core/diagnostics.h"
#include "core/reporting.h"
#include "core/settings.h"
#include "frontend/lexer.h"
#include "frontend/opcodes.h"

namespace velumar::lsp {

namespace {

constexpr int kCardColumns = 80;
constexpr int kLabelColumn = 6;
constexpr int kOpColumn = 16;
constexpr int kOperandColumn = 21;

// Swallows what the lexer would report: the editor shows the assembler's
// own diagnostics instead.
class NullBuf : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The lexer with a reporting context that goes nowhere.
class QuietLexer {
 public:
  QuietLexer() : out_(&buf_), lexer_(Reporting{out_, diag_, traces_}) {}
  Token lex(std::string_view card, int& start, int& end) { return lexer_.lex(card, start, end); }

 private:
  NullBuf buf_;
  std::ostream out_;
  Diagnostics diag_;
  Traces traces_;
  Lexer lexer_;
};

FieldKind kind_of(Token token) {
  switch (token) {
    case Token::Name: return FieldKind::Name;
    case Token::Number: return FieldKind::Number;
    case Token::Chars: return FieldKind::Literal;
    default: return FieldKind::Punct;
  }
}

// Adds the non-blank runs of columns `from`..`to` of `card` as `kind`.
void add_runs(std::vector<CardSpan>& out, std::string_view card, int from, int to, FieldKind kind) {
  to = std::min(to, static_cast<int>(card.size()));
  for (int c = from; c <= to; ++c) {
    if (card[static_cast<std::size_t>(c - 1)] == ' ') continue;
    int last = c;
    while (last < to && card[static_cast<std::size_t>(last)] != ' ') ++last;
    out.push_back({c, last, kind});
    c = last;
  }
}

// Adds the operand tokens of `card` from column 21 and returns the last
// column of the field.
int add_operands(std::vector<CardSpan>* out, std::string_view card) {
  QuietLexer lexer;
  int start = kOperandColumn;
  int field_end = kOperandColumn - 1;
  for (;;) {
    int end = start;
    const Token token = lexer.lex(card, start, end);
    if (token == Token::Done || end < start) break;
    if (out) out->push_back({start, end, kind_of(token)});
    field_end = end;
    start = end + 1;
  }
  return field_end;
}

}  // namespace

std::string card_image(std::string_view line) {
  std::string card(line.substr(0, kCardColumns));
  card.resize(kCardColumns, ' ');
  for (char& c : card)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return card;
}

int operand_field_end(std::string_view card) { return add_operands(nullptr, card); }

std::vector<CardSpan> card_fields(std::string_view line) {
  const std::string card = card_image(line);
  std::vector<CardSpan> out;
  const int length = static_cast<int>(line.size());
  if (card[kLabelColumn - 1] == '*') {
    add_runs(out, line, 1, length, FieldKind::Comment);
    return out;
  }
  add_runs(out, card, 1, kLabelColumn - 1, FieldKind::Comment);
  add_runs(out, card, kLabelColumn, 11, FieldKind::Label);
  add_runs(out, card, 12, 15, FieldKind::Comment);
  add_runs(out, card, kOpColumn, 20, FieldKind::Operation);
  const int field_end = add_operands(&out, card);
  add_runs(out, card, field_end + 1, kCardColumns, FieldKind::Comment);
  if (length > kCardColumns) add_runs(out, line, kCardColumns + 1, length, FieldKind::Comment);
  return out;
}

}  // namespace velumar::lsp
