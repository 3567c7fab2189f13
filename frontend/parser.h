// The operand parser: one operand of the operand field per call.
#pragma once

#include <string>
#include <string_view>

#include "core/reporting.h"
#include "frontend/lexer.h"
#include "ir/operand.h"

namespace velumar {

/// Where the parser records the names and literals it meets; the symbol
/// and literal tables stand behind it.
class OperandTables {
 public:
  virtual ~OperandTables() = default;
  /// Records a literal, or finds the identical one in the current pool;
  /// returns its index.
  virtual int create_lit(LiteralKind kind, int width, std::string_view text, int offset, char index,
                         std::string_view symbol) = 0;
  /// Makes address-constant literal `adcon` stand for character literal `target`.
  virtual void link_adcon(int adcon, int target) = 0;
  /// Enters `name` as a referenced symbol; returns its index.
  virtual int reference(std::string_view name) = 0;
};

class Parser {
 public:
  Parser(const Reporting& rep, Lexer& lexer, OperandTables& tables) : rep_(rep), lexer_(lexer), tables_(tables) {}

  /// Reads one operand at column `start` of the 80-column `line` into
  /// operands().at(Num_Operands + 1). `status`: 0 another operand follows,
  /// 1 the field ends after it, 2 there was no operand, -1 an error was
  /// reported. `enter_name` non-zero enters a plain symbol as a reference;
  /// `no_lit` true creates no literal (the operand's value then holds a width).
  void parse(std::string_view line, int& start, int& status, int enter_name, bool no_lit = false);

  /// Reads the adjustment (offset, index register) after a symbol, "*" or
  /// number; entered with the sign token current. Writes OFFSET and INDEX of
  /// operand `field`; `status` becomes -1 on error.
  void adjust(std::string_view line, int& start, int& end, Token& token, int field, int& status);

  /// The suffix rule: `name` without trailing blanks, followed by the
  /// suffix when shorter than 6 characters, blank-padded to 6.
  std::string suffixed(std::string_view name) const;
  /// The suffix rule applied to a 6-character name in place: what
  /// suffixed(label) gives, without a copy.
  void apply_suffix(FixedText<6>& label) const {
    if (suffix_ == ' ') return;
    std::size_t kept = label.size();
    while (kept > 0 && label[kept - 1] == ' ') --kept;
    if (kept > 0 && kept < label.size()) label[kept] = suffix_;
  }

  /// The operands of the statement being analysed.
  OperandList& operands() { return operands_; }
  const OperandList& operands() const { return operands_; }

  /// The label suffix that the SFX statement sets; blank: none.
  char suffix() const { return suffix_; }
  void set_suffix(char suffix) { suffix_ = suffix; }

 private:
  Reporting rep_;
  Lexer& lexer_;
  OperandTables& tables_;
  char suffix_ = ' ';
  OperandList operands_;
};

}  // namespace velumar
