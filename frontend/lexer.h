// The lexer: the next token of a card image from a given column.
#pragma once

#include <string_view>

#include "core/reporting.h"

namespace velumar {

/// Token kinds, in the order of their names in kTokenNames.
enum class Token { At = 1, Chars, Comma, Device, Done, Hash, Minus, Name, Number, Other, Plus, Star };

constexpr std::string_view kTokenNames = "AT    CHARS COMMA DEVICEDONE  HASH  MINUS NAME  NUMBEROTHER PLUS  STAR  ";

class Lexer {
 public:
  explicit Lexer(const Reporting& rep) : rep_(rep) {}

  /// Finds the token that starts at column `start` of `line` (1-based;
  /// `line` is the card cut at the last column the field may use). Sets
  /// `end` to the token's last column and returns its kind; `start` moves
  /// past a blank that follows a comma. Reports an empty character literal
  /// through do_error.
  Token lex(std::string_view line, int& start, int& end);

 private:
  /// The kind of the token whose first character is at `start` (Token::Done for
  /// a blank); sets `end` to its last column.
  Token classify(std::string_view line, int start, int& end);
  /// The token beginning with "@": a character literal, or a lone "@".
  Token at_sign(std::string_view line, int start, int& end);
  [[gnu::cold]] void trace(std::string_view line, int start, int end, Token token) const;

  Reporting rep_;
  /// Where the last empty character literal was reported (source line,
  /// column): a token read again there is not reported again.
  long long empty_line_ = -1;
  int empty_col_ = 0;
};

}  // namespace velumar
