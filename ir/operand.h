// The operand record that the parser fills and the intermediate file carries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velumar {

/// Kinds of literal, as the parser creates them.
enum LiteralKind : int { L_ADCON_LIT = 1, L_ADDR_CON, L_AREA_DEF, L_CHAR_LIT, L_NUM_LIT };

/// Operand kinds.
enum OperandKind : int {
  K_ACTUAL = 1,
  K_ADCON_LIT,
  K_ADDR_CON,
  K_AREA_DEF,
  K_ASTERISK,
  K_BLANK_CON,
  K_CHAR_LIT,
  K_DA_OPT,
  K_DEVICE,
  K_NUM_LIT,
  K_OTHER,
  K_SYMBOLIC,
};

constexpr std::string_view kOperandKindNames =
    "ACTUAL    ADCON_LIT ADDR_CON  AREA_DEF  ASTERISK  BLANK_CON CHAR_LIT  DA_OPT    DEVICE    NUM_LIT   OTHER     SYMBOLIC  ";

/// Name of operand kind `kind` without trailing blanks ("" for an unknown kind).
std::string_view operand_kind_name(int kind);

/// Value of a symbol that is referenced but not defined.
constexpr int kUndefinedRef = -30000;
/// Location counter after an ORG to a symbol that is not yet defined.
constexpr int kUndefinedOrg = -60000;
/// Operand offset that asks for rounding up to the next multiple of 100.
constexpr int kRoundX00 = 100000;

struct Operand {
  int value = 0;  ///< symbol or literal index, address or count, as `kind` says
  int kind = 0;
  int offset = 0;
  std::string prefix = "  ";     ///< first two characters of the operand as written
  char index_reg = ' ';          ///< index register digit or blank
  std::string label = "      ";  ///< symbol, literal label or device text (6 characters)

  bool operator==(const Operand&) const = default;
};

/// The operand list of one statement.
/// Operands are numbered from 1. The list grows as needed, and reading an
/// operand that the statement does not have gives an all-zero, blank one.
class OperandList {
 public:
  int count = 0;

  /// Operand k for writing (1-based); the storage grows to hold it.
  Operand& at(int k);
  /// Operand k for reading; a blank operand when k is not 1..count.
  const Operand& get(int k) const;
  /// The first `count` operands.
  std::vector<Operand> filled() const;
  void clear() { count = 0; }

 private:
  std::vector<Operand> slots_;
};

}  // namespace velumar
