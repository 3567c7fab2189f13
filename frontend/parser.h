// The operand parser: one operand of the operand field per call.
#pragma once

#include <string>
#include <string_view>

#include "ir/operand.h"

namespace velumar {

struct Context;

class Parser {
 public:
  explicit Parser(Context& ctx) : ctx_(ctx) {}

  char SFX = ' ';        ///< label suffix set by the SFX statement
  OperandList Operands;  ///< operands of the statement being analysed

  /// Reads one operand at column START of the 80-column LINE into
  /// Operands.at(Num_Operands + 1). STATUS: 0 another operand follows, 1 the
  /// field ends after it, 2 there was no operand, -1 an error was reported.
  /// ENTER_NAME non-zero enters a plain symbol as a reference; NO_LIT true
  /// creates no literal (ADDR then holds a width).
  void parse(std::string_view LINE, int& START, int& STATUS, int ENTER_NAME, bool NO_LIT = false);

  /// Reads the adjustment (offset, index register) after a symbol, "*" or
  /// number; entered with the sign token current. Writes OFFSET and INDEX of
  /// operand FIELD; STATUS becomes -1 on error.
  void adjust(std::string_view LINE, int& START, int& END, int& TOKEN, int FIELD, int& STATUS);

  /// The suffix rule: `name` without trailing blanks, followed by SFX when
  /// shorter than 6 characters, blank-padded to 6.
  std::string suffixed(std::string_view name) const;

 private:
  Context& ctx_;
};

}  // namespace velumar
