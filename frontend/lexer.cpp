#include "frontend/lexer.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace velumar {

namespace {

// The operand field begins in column 21: a blank up to there ends the field
// without looking at what precedes it.
constexpr int kOperandColumn = 21;

bool is_letter(char c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view token_name(int kind) {
  return TokenNames.substr(static_cast<std::size_t>(kind - 1) * 6, 6);
}

}  // namespace

int Lexer::lex(std::string_view LINE, int& START, int& END) {
  const int L = static_cast<int>(LINE.size());
  int token = T_DONE;

  auto classify = [&] {
    END = START;
    const char c = col(LINE, START);
    if (c == ' ') return T_DONE;
    if (c == '@') {
      // A literal runs to the last "@" of the scanned text, so "@" inside it
      // belongs to its text.
      END = L;
      while (END > START && col(LINE, END) != '@') --END;
      if (END == START) return T_AT;
      if (END == START + 1) {
        rep_.diag.at(START, START + 1);
        rep_.diag.do_error("Zero-length character literal");
        return T_OTHER;
      }
      return T_CHARS;
    }
    if (c == '%') {
      if (is_letter(col(LINE, START + 1)) && is_digit(col(LINE, START + 2))) {
        END = START + 2;
        return T_DEVICE;
      }
      return T_OTHER;
    }
    switch (c) {
      case ',': return T_COMMA;
      case '#': return T_HASH;
      case '-': return T_MINUS;
      case '&': return T_PLUS;
      case '*': return T_STAR;
      default: break;
    }
    if (is_digit(c)) {
      while (END < L && is_digit(col(LINE, END + 1))) ++END;
      return T_NUMBER;
    }
    if (is_letter(c)) {
      while (END < L && (is_letter(col(LINE, END + 1)) || is_digit(col(LINE, END + 1)))) ++END;
      return T_NAME;
    }
    return T_OTHER;
  };

  if (START > L) {
    END = L + 1;
  } else {
    END = START - 1;
    if (col(LINE, START) != ' ') {
      token = classify();
    } else if (START <= kOperandColumn) {
      token = T_DONE;
    } else if (col(LINE, START - 1) != ',') {
      END = START;
    } else {
      // One blank after a comma in the operand field does not end the field.
      ++START;
      token = classify();
    }
  }

  if (rep_.traces.on('l')) {
    // Only the columns that exist in the scanned text are shown.
    const int from = std::max(START, 1);
    const int to = std::min(END, L);
    std::string text = from <= to ? std::string(LINE.substr(static_cast<std::size_t>(from - 1),
                                                            static_cast<std::size_t>(to - from + 1)))
                                  : std::string();
    rep_.out << "Lexer: token = " << text << " = " << token_name(token) << '\n';
  }
  return token;
}

}  // namespace velumar
