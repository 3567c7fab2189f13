#include "frontend/lexer.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/card.h"
#include "core/text.h"

namespace velumar {

namespace {

// The operand field begins in column 21: a blank up to there ends the field
// without looking at what precedes it.

bool is_letter(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The characters that continue a name: letters and digits, by byte.
constexpr std::array<bool, 256> kNameChars = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  return t;
}();
bool is_name_char(char c) { return kNameChars[static_cast<unsigned char>(c)]; }

std::string_view token_name(Token kind) {
  return kTokenNames.substr(static_cast<std::size_t>(static_cast<int>(kind) - 1) * 6, 6);
}

}  // namespace

Token Lexer::lex(std::string_view line, int& start, int& end) {
  const int length = static_cast<int>(line.size());
  Token token = Token::Done;
  if (start > length) {
    end = length + 1;  // past the scanned text
  } else if (col(line, start) != ' ') {
    token = classify(line, start, end);
  } else if (start <= kOperandColumn) {
    end = start - 1;  // a blank field
  } else if (col(line, start - 1) != ',') {
    end = start;  // the blank that ends the operand field
  } else {
    // One blank after a comma in the operand field does not end the field.
    ++start;
    token = classify(line, start, end);
  }
  if (rep_.traces.on('l')) [[unlikely]]
    trace(line, start, end, token);
  return token;
}

inline Token Lexer::classify(std::string_view line, int start, int& end) {
  const int length = static_cast<int>(line.size());
  end = start;
  const char c = col(line, start);
  switch (c) {
    case ' ': return Token::Done;
    case '@': return at_sign(line, start, end);
    case ',': return Token::Comma;
    case '#': return Token::Hash;
    case '-': return Token::Minus;
    case '&': return Token::Plus;
    case '*': return Token::Star;
    case '%':
      if (!is_letter(col(line, start + 1)) || !is_digit(col(line, start + 2))) return Token::Other;
      end = start + 2;
      return Token::Device;
    default: break;
  }
  // `start` is a column of the text (lex sees to it), so the columns after
  // it are read directly: column end + 1 is line[end].
  if (is_digit(c)) {
    while (end < length && is_digit(line[static_cast<std::size_t>(end)])) ++end;
    return Token::Number;
  }
  if (is_letter(c)) {
    while (end < length && is_name_char(line[static_cast<std::size_t>(end)])) ++end;
    return Token::Name;
  }
  return Token::Other;
}

Token Lexer::at_sign(std::string_view line, int start, int& end) {
  // A literal runs to the last "@" of the scanned text, so "@" inside it
  // belongs to its text. Column `start` holds an "@": one is always found.
  end = std::max(static_cast<int>(line.rfind('@')) + 1, start);
  if (end == start) return Token::At;
  if (end == start + 1) {
    // A handler may read the token after an operand twice (to see whether
    // an adjustment ends there): one fault, one message.
    if (rep_.diag.source_line() != empty_line_ || start != empty_col_) {
      empty_line_ = rep_.diag.source_line();
      empty_col_ = start;
      rep_.diag.do_error(diagnose(DiagId::EmptyCharacterLiteral).at(start, start + 1));
    }
    return Token::Other;
  }
  return Token::Chars;
}

void Lexer::trace(std::string_view line, int start, int end, Token token) const {
  // Only the columns that exist in the scanned text are shown.
  const int from = std::max(start, 1);
  const int to = std::min(end, static_cast<int>(line.size()));
  const std::string text = from <= to ? std::string(line.substr(static_cast<std::size_t>(from - 1),
                                                                  static_cast<std::size_t>(to - from + 1)))
                                      : std::string();
  rep_.out << "Lexer: token = " << text << " = " << token_name(token) << '\n';
}

}  // namespace velumar
