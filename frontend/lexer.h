// The lexer: the next token of a card image from a given column.
#pragma once

#include <string_view>

#include "core/reporting.h"

namespace velumar {

/// Token kinds.
enum Token : int {
  T_AT = 1,
  T_CHARS,
  T_COMMA,
  T_DEVICE,
  T_DONE,
  T_HASH,
  T_MINUS,
  T_NAME,
  T_NUMBER,
  T_OTHER,
  T_PLUS,
  T_STAR,
};

constexpr std::string_view kTokenNames = "AT    CHARS COMMA DEVICEDONE  HASH  MINUS NAME  NUMBEROTHER PLUS  STAR  ";

class Lexer {
 public:
  explicit Lexer(const Reporting& rep) : rep_(rep) {}

  /// Finds the token that starts at column `start` of `line` (1-based;
  /// `line` is the card cut at the last column the field may use). Sets
  /// `end` to the token's last column and returns its kind; `start` moves
  /// past a blank that follows a comma. Reports an empty character literal
  /// through do_error.
  int lex(std::string_view line, int& start, int& end);

 private:
  /// The kind of the token whose first character is at `start` (T_DONE for
  /// a blank); sets `end` to its last column.
  int classify(std::string_view line, int start, int& end);
  /// The token beginning with "@": a character literal, or a lone "@".
  int at_sign(std::string_view line, int start, int& end);
  void trace(std::string_view line, int start, int end, int token) const;

  Reporting rep_;
};

}  // namespace velumar
